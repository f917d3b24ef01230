#include "catalogue/model_search.h"

#include <algorithm>

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
  std::string brand_text = BrandText(brand);
  const auto brand_number = static_cast<std::uint32_t>(brands_.size());
  brands_.push_back(brand);
  for (const ModelRow& row : rows) {
    const std::size_t at = shown_.size();
    shown_ += row.model;
    shown_ += row.price;
    models_.push_back({brand_number, static_cast<std::uint32_t>(row.model.size()), at});
    texts_ += brand_text + " " + common::Cp1251Lowered(row.model);
    ends_.push_back(texts_.size());
    texts_ += '\n';
  }
}

FoundModel ModelSearch::Row(std::size_t model) const {
  const Shown& row = models_[model];
  const std::size_t end = model + 1 < models_.size() ? models_[model + 1].at : shown_.size();
  std::string_view shown = std::string_view(shown_).substr(row.at, end - row.at);
  return {brands_[row.brand], std::string(shown.substr(0, row.model_size)),
          std::string(shown.substr(row.model_size))};
}

std::string_view ModelSearch::TextOf(std::size_t model) const {
  std::size_t start = model == 0 ? 0 : ends_[model - 1] + 1;
  return std::string_view(texts_).substr(start, ends_[model] - start);
}

std::vector<std::size_t> ModelSearch::ModelsHolding(std::string_view word) const {
  // One pass over all the texts; a word never holds '\n', so no match spans two models.
  std::vector<std::size_t> found;
  common::SubstringSearch search{std::string(word)};
  std::size_t model = 0;
  for (std::size_t at = search.Find(texts_, 0); at != std::string_view::npos;
       at = search.Find(texts_, ends_[model] + 1)) {
    while (ends_[model] < at) ++model;
    found.push_back(model);
  }
  return found;
}

std::vector<FoundModel> ModelSearch::Find(std::string_view typed) const {
  common::StringList words = Words(typed);
  if (words.empty()) return {};
  std::vector<std::size_t> found = ModelsHolding(words.front());
  for (std::size_t w = 1; w < words.size(); ++w) {
    std::erase_if(found, [&](std::size_t model) {
      return TextOf(model).find(words[w]) == std::string_view::npos;
    });
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
