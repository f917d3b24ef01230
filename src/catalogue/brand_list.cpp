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

}  // namespace

StringList BuildBrandList(const std::vector<std::string>& file_names,
                          const selection::IndexBrands& index) {
  StringList brands;
  for (const std::string& name : file_names) brands.push_back(BrandOfFile(name));
  if (index.any_line) {
    RemoveFirst(brands, kSonyEricssonInFiles);
    common::TextSet listed;
    for (const std::string& brand : brands) listed.Add(brand);
    for (std::size_t i = 0; i < index.brands.size(); ++i) {
      std::string_view brand = index.brands.TextOf(i);
      // Most of the index's brands are listed as they stand: that is looked up first.
      if (listed.Contains(brand)) continue;
      std::string normalised = common::AsciiLowered(brand);
      normalised[0] = common::AsciiUpper(normalised[0]);
      if (!listed.Contains(normalised)) {
        brands.emplace_back(brand);
        listed.Add(brand);
      }
    }
  }
  common::SortByBytes(brands);
  RemoveFirst(brands, kMtsInFiles);
  return brands;
}

StringList BuildBrandList(const std::vector<std::string>& file_names,
                          const common::LineTable& model_index) {
  return BuildBrandList(file_names, selection::BrandsOfIndex(model_index));
}

StringList BrandBoxEntries(const std::string& working_folder, const selection::IndexBrands& index) {
  std::string base = common::ResolvePath(working_folder, "Base");
  StringList entries;
  for (const std::string& brand : BuildBrandList(common::ListFiles(base, "*.xml"), index)) {
    entries.push_back(BrandDisplayName(brand));
  }
  return entries;
}

StringList BrandBoxEntries(const std::string& working_folder,
                           const common::LineTable& model_index) {
  return BrandBoxEntries(working_folder, selection::BrandsOfIndex(model_index));
}

}  // namespace trubkom::catalogue
