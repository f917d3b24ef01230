#include "catalogue/model_list.h"

#include <algorithm>

#include "catalogue/price_lists.h"
#include "common/ascii.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using common::ReplaceAll;
using common::StringList;

namespace {

constexpr std::string_view kMark = " *";

// The models that the index describes, each with the mark.
StringList DescribedModels(const StringList& model_index, const std::string& brand) {
  std::string lowered_brand = common::AsciiLowered(brand);
  StringList models;
  for (const std::string& line : model_index) {
    if (common::StartsWith(common::AsciiLowered(line), lowered_brand)) {
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

void MergeDescribed(StringList& merged, const StringList& described,
                    const std::string& library_brand) {
  for (const std::string& marked : described) {
    std::string name = LibrarySpelling(library_brand, marked.substr(0, marked.find(kMark)));
    std::string lowered = common::AsciiLowered(name);
    auto at = std::find(merged.begin(), merged.end(), lowered);
    if (at == merged.end()) at = std::find(merged.begin(), merged.end(), name);
    if (at == merged.end()) {
      merged.push_back(marked);
    } else {
      *at = marked;
    }
  }
}

}  // namespace

std::string LibraryBrand(const std::string& brand) {
  return ReplaceAll(ReplaceAll(brand, "Sony-Ericsson", "Sonyericsson"), "MTC", "Mts");
}

std::vector<ModelRow> FillModelList(const Folders& folders, CatalogueData& data,
                                    const StringList& model_index, const std::string& brand,
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
