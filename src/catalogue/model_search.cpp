#include "catalogue/model_search.h"

#include <algorithm>
#include <stdexcept>

#include "catalogue/brand_spellings.h"
#include "common/encoding.h"
#include "common/substring_search.h"

namespace trubkom::catalogue {

namespace {

// The typed text's words, lowered, longest first: the longest tends to be the rarest, so the
// other words are looked for in few models.
common::StringList Words(std::string_view typed) {
  std::string lowered = common::Cp1251Lowered(typed);
  std::replace(lowered.begin(), lowered.end(), '\t', ' ');
  common::StringList words = common::SplitByChar(lowered, ' ');
  std::erase(words, "");
  std::stable_sort(words.begin(), words.end(),
                   [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
  return words;
}

// The brand as the box shows it and as the brand files write it ("Sony-Ericsson" and
// "Sonyericsson", "MTC" and "Mts"), lowered, once each.
std::string BrandText(const std::string& brand) {
  std::string shown = common::Cp1251Lowered(brand);
  std::string in_files = common::Cp1251Lowered(LibraryBrand(brand));
  return in_files == shown ? shown : shown + " " + in_files;
}

}  // namespace

void ModelSearch::AddBrand(const std::string& brand, const std::vector<ModelRow>& rows) {
  const auto brand_number = static_cast<std::uint32_t>(brands_.size());
  brands_.push_back(brand);
  brand_texts_.push_back(BrandText(brand));
  for (const ModelRow& row : rows) {
    if (shown_.size() + row.model.size() + row.price.size() >= UINT32_MAX ||
        names_.size() + row.model.size() >= UINT32_MAX) {
      throw std::length_error("model search too large");
    }
    models_.push_back({brand_number, static_cast<std::uint32_t>(row.model.size()),
                       static_cast<std::uint32_t>(shown_.size()),
                       static_cast<std::uint32_t>(names_.size())});
    shown_ += row.model;
    shown_ += row.price;
    names_ += common::Cp1251Lowered(row.model);
    names_ += '\n';
  }
  brand_ends_.push_back(models_.size());
}

FoundModel ModelSearch::Row(std::size_t model) const {
  const Model& row = models_[model];
  const std::size_t end = model + 1 < models_.size() ? models_[model + 1].shown_at : shown_.size();
  std::string_view shown = std::string_view(shown_).substr(row.shown_at, end - row.shown_at);
  return {brands_[row.brand], std::string(shown.substr(0, row.model_size)),
          std::string(shown.substr(row.model_size))};
}

std::string_view ModelSearch::NameText(std::size_t model) const {
  return std::string_view(names_).substr(models_[model].name_at, models_[model].model_size);
}

bool ModelSearch::Holds(std::size_t model, std::string_view word) const {
  return NameText(model).find(word) != std::string_view::npos ||
         brand_texts_[models_[model].brand].find(word) != std::string::npos;
}

std::vector<std::size_t> ModelSearch::ModelsHolding(std::string_view word) const {
  // A brand holding the word brings all its models; the names are gone through in one pass, and
  // a word never holds '\n', so no match spans two models.
  std::vector<bool> brand_holds(brands_.size());
  for (std::size_t b = 0; b < brands_.size(); ++b) {
    brand_holds[b] = brand_texts_[b].find(word) != std::string::npos;
  }
  std::vector<std::size_t> found;
  common::SubstringSearch search{std::string(word)};
  std::size_t model = 0;
  auto take_brands_up_to = [&](std::size_t next) {  // the models before next of brands holding it
    while (model < next) {
      const std::uint32_t brand = models_[model].brand;
      const std::size_t brand_end = std::min(next, brand_ends_[brand]);
      if (!brand_holds[brand]) {
        model = brand_end;
        continue;
      }
      for (; model < brand_end; ++model) found.push_back(model);
    }
  };
  for (std::size_t at = search.Find(names_, 0); at != std::string_view::npos;) {
    // The model whose name holds at: the last that starts at or before it.
    const auto after =
        std::upper_bound(models_.begin() + static_cast<std::ptrdiff_t>(model), models_.end(), at,
                         [](std::size_t place, const Model& m) { return place < m.name_at; });
    const auto holding = static_cast<std::size_t>(after - models_.begin()) - 1;
    take_brands_up_to(holding);
    found.push_back(holding);
    model = holding + 1;
    at = search.Find(names_, models_[holding].name_at + models_[holding].model_size + 1);
  }
  take_brands_up_to(models_.size());
  return found;
}

std::vector<FoundModel> ModelSearch::Find(std::string_view typed) const {
  common::StringList words = Words(typed);
  if (words.empty()) return {};
  std::vector<std::size_t> found = ModelsHolding(words.front());
  for (std::size_t w = 1; w < words.size(); ++w) {
    std::erase_if(found, [&](std::size_t model) { return !Holds(model, words[w]); });
  }
  std::vector<FoundModel> models;
  models.reserve(found.size());
  for (std::size_t model : found) models.push_back(Row(model));
  return models;
}

ModelSearch BuildModelSearch(const Folders& folders, CatalogueData& data,
                             const common::LineTable& model_index,
                             const common::StringList& brands) {
  ModelSearch search;
  const DescribedModelsByBrand described(model_index);
  common::StringList listed;
  for (const std::string& brand : brands) {
    if (!brand.empty()) listed.push_back(brand);
  }
  ForEachModelList(folders, data, described, listed, false,
                   [&](const std::string& brand, const std::vector<ModelRow>& rows) {
                     search.AddBrand(brand, rows);
                   });
  return search;
}

}  // namespace trubkom::catalogue
