#include "catalogue/model_search.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "catalogue/brand_spellings.h"
#include "catalogue/latin_spelling.h"
#include "common/encoding.h"
#include "common/parallel_parts.h"
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

ModelSearch::Brand ModelSearch::MakeBrand(ListedBrand listed) {
  return {listed.name, BrandText(listed.name), SearchedNames(listed),
          SparsePrices(listed.averages)};
}

void ModelSearch::Add(Brand brand) {
  size_ += brand.size();
  name_bytes_ += brand.names.lowered().size();
  brands_.push_back(std::move(brand));
}

void ModelSearch::AddBrand(ListedBrand listed) { Add(MakeBrand(std::move(listed))); }

void ModelSearch::AddBrands(std::vector<ListedBrand> listed) {
  // Side by side, each brand by the part that takes it next, the longest first, its list freed
  // as it is made.
  std::vector<Brand> made(listed.size());
  std::vector<std::size_t> order(listed.size());
  std::size_t bytes = 0;
  for (std::size_t b = 0; b < listed.size(); ++b) {
    order[b] = b;
    bytes += listed[b].models.size();
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return listed[a].models.size() > listed[b].models.size();
  });
  constexpr std::size_t kNameBytesPerPart = std::size_t{1} << 20;
  std::atomic<std::size_t> next = 0;
  common::RunParts(common::PartsFor(bytes, kNameBytesPerPart), [&](std::size_t) {
    for (std::size_t i = next++; i < order.size(); i = next++) {
      made[order[i]] = MakeBrand(std::move(listed[order[i]]));
    }
  });
  for (Brand& brand : made) Add(std::move(brand));
}

void ModelSearch::AddBrand(const std::string& brand, const std::vector<ModelRow>& rows) {
  ListedBrand listed(brand);
  for (const ModelRow& row : rows) {
    listed.Add(row.model);
    if (!row.price.empty()) listed.averages.back() = common::TextToInt(row.price);
  }
  AddBrand(std::move(listed));
}

bool ModelSearch::Brand::Holds(std::size_t model, std::string_view word) const {
  return names.Lowered(model).find(word) != std::string_view::npos ||
         text.find(word) != std::string::npos;
}

bool ModelSearch::Brand::HoldsTheOthers(std::size_t model, const common::StringList& words) const {
  for (std::size_t w = 1; w < words.size(); ++w) {
    if (!Holds(model, words[w])) return false;
  }
  return true;
}

FoundModel ModelSearch::Brand::Row(std::size_t model) const {
  FoundModel row;
  RowInto(model, row);
  return row;
}

void ModelSearch::Brand::RowInto(std::size_t model, FoundModel& row) const {
  row.brand.assign(name);
  names.ShownInto(model, row.model);
  const long long average = prices.Of(model);
  row.price.clear();
  if (average != kNoPrice) row.price += std::to_string(average);
}

template <typename Visit>
void ModelSearch::Brand::ForEachNameHolding(const common::SubstringSearch& word,
                                            Visit visit) const {
  // One pass over the names; a word never holds '\n', so no match spans two models. The model
  // holding a match is the last that starts at or before it, found by walking on from the one
  // before: a broad word's matches come model after model.
  const std::vector<std::uint32_t>& starts = names.starts();
  const std::string& text = names.lowered();
  std::size_t model = 0;
  for (std::size_t at = word.Find(text, 0); at != std::string_view::npos;) {
    while (model + 1 < starts.size() && starts[model + 1] <= at) ++model;
    visit(model);
    if (model + 1 == starts.size()) break;
    at = word.Find(text, starts[model + 1]);
  }
}

std::vector<FoundModel> ModelSearch::Find(std::string_view typed) const {
  return Find(typed, SIZE_MAX).first;
}

SearchResult ModelSearch::Find(std::string_view typed, std::size_t limit) const {
  SearchResult found = FindWords(Words(typed), limit);
  if (found.total > 0) return found;
  // Nothing under the words as typed: under the Latin letters they were most likely meant in
  // ("л750", "к750", "нокиа"). Tried only then, so a key press that finds costs no more.
  for (const std::string& latin : LatinSpellings(common::Cp1251Lowered(typed))) {
    found = FindWords(Words(latin), limit);
    if (found.total > 0) break;
  }
  return found;
}

void ModelSearch::ForEachFound(std::string_view typed, const FoundVisit& visit) const {
  common::StringList words = Words(typed);
  if (FindWords(words, 0).total == 0) {  // as Find: under the Latin spelling then
    for (const std::string& latin : LatinSpellings(common::Cp1251Lowered(typed))) {
      common::StringList latin_words = Words(latin);
      if (FindWords(latin_words, 0).total == 0) continue;
      words = std::move(latin_words);
      break;
    }
  }
  if (words.empty()) return;
  const common::SubstringSearch first(words.front());
  FoundModel row;
  for (const Brand& brand : brands_) {
    auto take = [&](std::size_t model) {
      if (!brand.HoldsTheOthers(model, words)) return;
      brand.RowInto(model, row);
      visit(row);
    };
    if (brand.text.find(first.needle()) == std::string::npos) {
      brand.ForEachNameHolding(first, take);
    } else {
      for (std::size_t model = 0; model < brand.size(); ++model) take(model);
    }
  }
}

SearchResult ModelSearch::FindIn(std::size_t first_brand, std::size_t end_brand,
                                 const common::StringList& words, std::size_t limit) const {
  // Counted as found and made into rows for the first limit alone: a key press allocates no more
  // for a broad word than for a narrow one.
  SearchResult result;
  auto take = [&](const Brand& brand, std::size_t model) {
    if (!brand.HoldsTheOthers(model, words)) return;
    ++result.total;
    if (result.first.size() < limit) result.first.push_back(brand.Row(model));
  };
  const common::SubstringSearch first(words.front());
  for (std::size_t b = first_brand; b < end_brand; ++b) {
    const Brand& brand = brands_[b];
    if (brand.text.find(first.needle()) == std::string::npos) {
      brand.ForEachNameHolding(first, [&](std::size_t model) { take(brand, model); });
    } else if (words.size() == 1 && result.first.size() == limit) {
      result.total += brand.size();  // every model holds the brand's word: a count
    } else {
      for (std::size_t model = 0; model < brand.size(); ++model) take(brand, model);
    }
  }
  return result;
}

SearchResult ModelSearch::FindWords(const common::StringList& words, std::size_t limit) const {
  if (words.empty()) return {};
  // A large catalogue's brands are searched side by side, in runs of brands of about the same
  // size of names; each run's first rows, joined in order, are the first rows of all.
  constexpr std::size_t kNameBytesPerPart = std::size_t{4} << 20;
  const std::size_t parts = common::PartsFor(name_bytes_, kNameBytesPerPart);
  std::vector<std::size_t> starts = {0};
  for (std::size_t b = 0, bytes = 0; b < brands_.size() && starts.size() < parts; ++b) {
    bytes += brands_[b].names.lowered().size();
    if (bytes * parts >= name_bytes_ * starts.size()) starts.push_back(b + 1);
  }
  starts.push_back(brands_.size());
  std::vector<SearchResult> found(starts.size() - 1);
  common::RunParts(found.size(), [&](std::size_t part) {
    found[part] = FindIn(starts[part], starts[part + 1], words, limit);
  });
  SearchResult result;
  for (SearchResult& part : found) {
    result.total += part.total;
    for (FoundModel& row : part.first) {
      if (result.first.size() == limit) break;
      result.first.push_back(std::move(row));
    }
  }
  return result;
}

ModelSearch BuildModelSearch(const Folders& folders, CatalogueData& data,
                             const common::LineTable& model_index,
                             const common::StringList& brands) {
  ModelSearch search;
  search.AddBrands(ReadListedBrands(folders, data, DescribedModelsByBrand(model_index), brands));
  return search;
}

}  // namespace trubkom::catalogue
