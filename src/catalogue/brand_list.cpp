#include "catalogue/brand_list.h"

#include <algorithm>

#include "catalogue/brand_spellings.h"
#include "common/ascii.h"
#include "common/paths.h"
#include "common/text_set.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using common::StringList;

namespace {

constexpr std::string_view kFilePrefix = ".\\Base\\";

// "nokia_new.xml" gives "Nokia"; a name without "_new" stays ".\Base\" plus the name.
std::string BrandOfFile(const std::string& file_name) {
  std::string entry = std::string(kFilePrefix) + file_name;
  std::size_t at = entry.find("_new");
  if (at == std::string::npos || at <= kFilePrefix.size()) return entry;
  std::string brand = entry.substr(kFilePrefix.size(), at - kFilePrefix.size());
  brand[0] = common::AsciiUpper(brand[0]);
  return brand;
}

void RemoveFirst(StringList& list, std::string_view entry) {
  auto found = std::find(list.begin(), list.end(), entry);
  if (found != list.end()) list.erase(found);
}

// An index has tens of thousands of brands at most, but its lines cycle through them in any
// order: the brands of so many lines ahead are asked for at once (see TextSet::Prefetch).
constexpr std::size_t kLookAhead = 16;

void PrefetchBrands(const common::TextSet& listed, const common::LineTable& model_index,
                    std::size_t first) {
  std::string_view brands[kLookAhead];
  std::size_t count = 0;
  for (std::size_t i = first; i < model_index.size() && count < kLookAhead; ++i) {
    brands[count++] = selection::IndexBrand(model_index[i]);
  }
  listed.Prefetch(brands, count);
}

}  // namespace

StringList BuildBrandList(const std::vector<std::string>& file_names,
                          const common::LineTable& model_index) {
  StringList brands;
  for (const std::string& name : file_names) brands.push_back(BrandOfFile(name));
  if (!model_index.empty()) {
    RemoveFirst(brands, kSonyEricssonInFiles);
    common::TextSet listed;
    for (const std::string& brand : brands) listed.Add(brand);
    auto holds = [&](std::string_view entry) { return listed.Contains(entry); };
    for (std::size_t i = 0; i < model_index.size(); ++i) {
      if (i % kLookAhead == 0) PrefetchBrands(listed, model_index, i);
      std::string_view line = model_index[i];
      std::string_view brand = selection::IndexBrand(line);
      // A line without a brand (no '|', or '|' first) adds nothing.
      if (brand.empty() || brand.size() == line.size()) continue;
      // Most lines repeat a brand listed as it stands: that is looked up first.
      if (holds(brand)) continue;
      std::string normalised = common::AsciiLowered(brand);
      normalised[0] = common::AsciiUpper(normalised[0]);
      if (!holds(normalised)) {
        brands.emplace_back(brand);
        listed.Add(brand);
      }
    }
  }
  common::SortByBytes(brands);
  RemoveFirst(brands, kMtsInFiles);
  return brands;
}

StringList BrandBoxEntries(const std::string& working_folder,
                           const common::LineTable& model_index) {
  std::string base = common::ResolvePath(working_folder, "Base");
  StringList entries;
  for (const std::string& brand : BuildBrandList(common::ListFiles(base, "*.xml"), model_index)) {
    entries.push_back(BrandDisplayName(brand));
  }
  return entries;
}

}  // namespace trubkom::catalogue
