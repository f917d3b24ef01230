#include "catalogue/listed_brands.h"

#include <algorithm>
#include <atomic>

#include "catalogue/listed_prices.h"
#include "common/ascii.h"
#include "common/parallel_parts.h"
#include "common/table_cap.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

void ListedBrand::Add(std::string_view model, std::string_view mark) {
  common::CheckTableSize(models.size() + model.size() + mark.size() + 1,
                         "переполнен список моделей");
  starts.push_back(static_cast<std::uint32_t>(models.size()));
  models.append(model).append(mark);
  models += '\n';
  averages.push_back(kNoPrice);
}

std::string ListedBrand::AverageText(std::size_t i) const {
  return averages[i] == kNoPrice ? std::string() : std::to_string(averages[i]);
}

namespace {

// Models of the index worth a part of the work each, when lists are made side by side.
constexpr std::size_t kModelsPerPart = 50'000;

// The brand's list from its file's models and the index's: the entries are held as strings
// only while they are merged and sorted.
void FillListedBrand(ListedBrand& brand, common::StringList of_brand_file,
                     const DescribedModelsByBrand& described) {
  if (of_brand_file.empty()) {
    // A brand of the index alone: its list is its lines' models, marked, and no string is made
    // of any before it is in the list.
    std::vector<std::string_view> models = described.ModelFieldsOf(brand.name);
    common::SortByBytes(models, selection::kFullDescriptionMark);
    brand.starts.reserve(models.size());
    brand.averages.reserve(models.size());
    for (std::string_view model : models) brand.Add(model, selection::kFullDescriptionMark);
  } else {
    for (const std::string& model :
         MergedModels(std::move(of_brand_file), described.Of(brand.name), brand.name)) {
      brand.Add(model);
    }
  }
  brand.models.shrink_to_fit();
  brand.starts.shrink_to_fit();
  brand.averages.shrink_to_fit();
}

}  // namespace

std::vector<ListedBrand> ReadListedBrands(const Folders& folders, CatalogueData& data,
                                          const DescribedModelsByBrand& described,
                                          const common::StringList& brands) {
  std::vector<ListedBrand> listed;
  std::vector<common::StringList> of_brand_files;
  for (const std::string& brand : brands) {
    if (brand.empty()) continue;
    listed.emplace_back(brand);
    of_brand_files.push_back(BrandFileModels(data, brand));
  }
  // The files read, the lists are made side by side, each brand by the part that takes it next,
  // the longest first: a long list taken last would leave the other parts waiting.
  std::vector<std::size_t> order(listed.size());
  std::vector<std::size_t> lengths(listed.size());
  for (std::size_t b = 0; b < listed.size(); ++b) {
    order[b] = b;
    lengths[b] = of_brand_files[b].size() + described.CountOf(listed[b].name);
  }
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return lengths[a] > lengths[b]; });
  std::atomic<std::size_t> next = 0;
  common::RunParts(common::PartsFor(described.size(), kModelsPerPart), [&](std::size_t) {
    for (std::size_t i = next++; i < order.size(); i = next++) {
      const std::size_t b = order[i];
      FillListedBrand(listed[b], std::move(of_brand_files[b]), described);
    }
  });
  PriceListedBrands(folders.working, listed);
  return listed;
}

}  // namespace trubkom::catalogue
