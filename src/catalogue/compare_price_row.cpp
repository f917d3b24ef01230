#include "catalogue/compare_price_row.h"

#include <map>
#include <memory>

#include "catalogue/brand_spellings.h"
#include "catalogue/price_pass.h"
#include "catalogue/price_range.h"
#include "common/encoding.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using namespace common::literals;

CompareRow ShopPriceRow(const std::string& working_folder,
                        const std::vector<common::BrandAndModel>& names) {
  // One pass over the price lists for every brand of the basket at once.
  std::map<std::string, std::vector<std::size_t>> models_of_brand;  // by the library's spelling
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (!names[i].model.empty()) models_of_brand[LibraryBrand(names[i].brand)].push_back(i);
  }
  std::vector<std::unique_ptr<BrandPrices>> passes;
  std::vector<BrandPrices*> all;
  for (const auto& [brand, models] : models_of_brand) {
    common::StringList unmarked;
    for (std::size_t i : models) {
      unmarked.push_back(common::ReplaceAll(names[i].model, selection::kFullDescriptionMark, ""));
    }
    passes.push_back(
        std::make_unique<BrandPrices>(brand, unmarked, PriceFigures::kAveragesAndRanges));
    all.push_back(passes.back().get());
  }
  BrandPrices::AddPriceListsToAll(working_folder, all);

  CompareRow row{std::string("Средняя цена"_cp1251), Measure::kShopPrice,
                 std::vector<CompareCell>(names.size(), {"", "CompareInfo"})};
  std::size_t pass = 0;
  for (const auto& [brand, models] : models_of_brand) {
    for (std::size_t k = 0; k < models.size(); ++k) {
      const std::string average = passes[pass]->AveragePriceOf(k);
      if (average.empty()) continue;
      row.cells[models[k]].text =
          average + std::string(" р. ("_cp1251) + PriceRangeText(passes[pass]->RangeOf(k)) + ")";
    }
    ++pass;
  }
  return row;
}

}  // namespace trubkom::catalogue
