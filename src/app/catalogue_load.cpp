#include "app/catalogue_load.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <new>
#include <string_view>

#include "catalogue/brand_list.h"
#include "catalogue/config_file.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/table_cap.h"
#include "common/warnings.h"
#include "selection/model_index.h"
#include "selection/new_models.h"
#include "selection/property_vocabulary.h"
#include "selection/wizard.h"

namespace trubkom::app {

namespace {

// The entry the window will show: the one written as shown_brand, else the one that differs in
// ASCII letter case alone, else the first.
std::string EntryToShow(const common::StringList& brands, const std::string& shown_brand) {
  if (brands.empty()) return {};
  auto exact = std::find(brands.begin(), brands.end(), shown_brand);
  if (exact != brands.end()) return *exact;
  for (const std::string& brand : brands) {
    if (common::EqualsIgnoringAsciiCase(brand, shown_brand)) return brand;
  }
  return brands.front();
}

// Reading a large index leaves freed working memory in the loading thread's heap (its pieces,
// the streams' spare room): the window keeps only what it shows, so the rest goes back to the
// system now.
void HandBackFreedMemory() {
#ifdef __GLIBC__
  malloc_trim(0);
#endif
}

// Only the models' names and the wizard's entries are held; a page reads its line again.
std::unique_ptr<selection::IndexedLines> ReadIndex(const catalogue::Folders& folders,
                                                   const std::vector<std::string>& properties) {
  common::Result<common::LinePieces> pieces = selection::OpenModelIndexPieces(folders.working);
  if (!pieces) {
    common::WarnUnlessMissing(pieces.error());
    return nullptr;
  }
  auto index = std::make_unique<selection::IndexedLines>(
      selection::IndexedLines::ReadHeads(std::move(*pieces), properties));
  if (common::Status read = index->ReadFailure(); !read) common::WarnUnlessMissing(read.error());
  return index;
}

// What make makes, or kTooLarge when a table outgrows its cap or the memory runs out on the way.
template <typename Make>
auto Guarded(Make make) -> common::Result<decltype(make())> {
  auto too_large = [](std::string_view reason) {
    return common::Error{common::ErrorCode::kTooLarge,
                         common::Cp1251FromUtf8("Каталог слишком велик для программы (" +
                                                std::string(reason) + "): он показан не весь")};
  };
  try {
    return make();
  } catch (const common::TableTooLarge& e) {
    return too_large(e.what());
  } catch (const std::bad_alloc&) {
    HandBackFreedMemory();
    return too_large("не хватает памяти");
  }
}

LoadedCatalogue ReadCatalogue(const catalogue::Folders& folders,
                              const common::LineTable& kept_index, bool full_only,
                              const std::string& shown_brand, bool first_page_only) {
  LoadedCatalogue loaded;
  selection::PropertyVocabulary::Builtin();
  loaded.data = std::make_unique<catalogue::CatalogueData>(folders.working);
  loaded.data->InitDS();
  loaded.config_found = catalogue::ReadConfigFile(folders.program, loaded.advertising);
  loaded.index = ReadIndex(folders, first_page_only ? selection::WizardPageProperties(0)
                                                    : selection::WizardProperties());
  loaded.index_answers_wizard = !first_page_only || !loaded.index;
  const common::LineTable& index = loaded.index ? loaded.index->lines() : kept_index;
  loaded.brands = catalogue::BrandBoxEntries(folders.working, index);
  loaded.first_models_brand = EntryToShow(loaded.brands, shown_brand);
  loaded.first_models_full_only = full_only;
  if (!loaded.first_models_brand.empty()) {
    loaded.first_models = catalogue::FillModelList(folders, *loaded.data, index,
                                                   loaded.first_models_brand, full_only);
  }
  loaded.new_model_files = selection::FindNewModelFiles(folders.working);
  HandBackFreedMemory();
  return loaded;
}

}  // namespace

common::Result<std::unique_ptr<selection::IndexedLines>> ReadWizardIndex(
    const catalogue::Folders& folders) {
  return Guarded([&] {
    std::unique_ptr<selection::IndexedLines> index =
        ReadIndex(folders, selection::WizardProperties());
    HandBackFreedMemory();
    return index;
  });
}

common::Result<LoadedCatalogue> LoadCatalogue(const catalogue::Folders& folders,
                                              const common::LineTable& kept_index, bool full_only,
                                              const std::string& shown_brand,
                                              bool first_page_only) {
  return Guarded(
      [&] { return ReadCatalogue(folders, kept_index, full_only, shown_brand, first_page_only); });
}

common::Result<catalogue::ModelSearch> LoadSearch(const catalogue::Folders& folders,
                                                  const common::LineTable& index,
                                                  const common::StringList& brands) {
  return Guarded([&] {
    catalogue::CatalogueData data(folders.working);
    catalogue::ModelSearch search = catalogue::BuildModelSearch(folders, data, index, brands);
    HandBackFreedMemory();  // the price passes'
    return search;
  });
}

}  // namespace trubkom::app
