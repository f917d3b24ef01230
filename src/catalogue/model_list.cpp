#include "catalogue/model_list.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_map>

#include "catalogue/price_lists.h"
#include "common/ascii.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using common::ReplaceAll;
using common::StringList;

namespace {

constexpr std::string_view kMark = " *";

// The models that the index describes, each with the mark.
StringList DescribedModels(const common::LineTable& model_index, const std::string& brand) {
  std::string lowered_brand = common::AsciiLowered(brand);
  StringList models;
  for (std::string_view line : model_index) {
    std::string_view head = std::string_view(line).substr(0, lowered_brand.size());
    if (common::AsciiLowered(head) == lowered_brand) {
      models.push_back(std::string(selection::IndexModel(line)) + std::string(kMark));
    }
  }
  return models;
}

// The index spells some names otherwise than the brand files.
std::string LibrarySpelling(const std::string& library_brand, std::string name) {
  if (library_brand == "Alcatel") return ReplaceAll(name, "OneTouch", "ot");
  if (library_brand == "Samsung") {
    name = ReplaceAll(name, "SCH-", "sch ");
    name = ReplaceAll(name, "SGH-", "sgh ");
    return ReplaceAll(name, "SPH-", "sph ");
  }
  return name;
}

// Where each text stands in the merge list; the first place is the one that counts.
class Places {
 public:
  explicit Places(const StringList& list) {
    for (std::size_t i = 0; i < list.size(); ++i) Add(i, list[i]);
  }
  void Add(std::size_t place, const std::string& text) { places_[text].insert(place); }
  std::optional<std::size_t> First(const std::string& text) const {
    auto found = places_.find(text);
    if (found == places_.end() || found->second.empty()) return std::nullopt;
    return *found->second.begin();
  }
  void Move(std::size_t place, const std::string& from, const std::string& to) {
    places_[from].erase(place);
    Add(place, to);
  }

 private:
  std::unordered_map<std::string, std::set<std::size_t>> places_;
};

void MergeDescribed(StringList& merged, const StringList& described,
                    const std::string& library_brand) {
  Places places(merged);
  for (const std::string& marked : described) {
    std::string name = LibrarySpelling(library_brand, marked.substr(0, marked.find(kMark)));
    std::optional<std::size_t> at = places.First(common::AsciiLowered(name));
    if (!at) at = places.First(name);
    if (!at) {
      merged.push_back(marked);
      places.Add(merged.size() - 1, marked);
    } else {
      places.Move(*at, merged[*at], marked);
      merged[*at] = marked;
    }
  }
}

}  // namespace

std::string LibraryBrand(const std::string& brand) {
  return ReplaceAll(ReplaceAll(brand, "Sony-Ericsson", "Sonyericsson"), "MTC", "Mts");
}

std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const common::LineTable& model_index, const std::string& brand,
                                    bool full_only) {
  StringList described = DescribedModels(model_index, brand);
  std::string library_brand = LibraryBrand(brand);
  StringList merged = common::SplitCarets(data.Col2Str2(library_brand));
  MergeDescribed(merged, described, library_brand);
  common::SortByBytes(merged);

  StringList unmarked;
  for (const std::string& entry : merged) unmarked.push_back(ReplaceAll(entry, kMark, ""));
  BrandPrices prices(library_brand, unmarked);
  prices.AddPriceLists(folders.working);

  std::vector<ModelRow> rows;
  for (std::size_t i = 0; i < merged.size(); ++i) {
    if (full_only && !common::Contains(merged[i], kMark)) continue;
    rows.push_back({merged[i], prices.AveragePrice(unmarked[i])});
  }
  return rows;
}

}  // namespace trubkom::catalogue
