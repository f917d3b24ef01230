#include "catalogue/price_range.h"

#include "catalogue/brand_spellings.h"
#include "common/encoding.h"
#include "common/plural.h"
#include "selection/model_index.h"

namespace trubkom::catalogue {

using namespace common::literals;

ModelPriceFigures PriceFiguresOf(const Folders& folders, const std::string& brand,
                                 const std::string& model) {
  std::string unmarked = common::ReplaceAll(model, selection::kFullDescriptionMark, "");
  BrandPrices prices(LibraryBrand(brand), {unmarked}, PriceFigures::kAveragesAndRanges);
  prices.AddPriceLists(folders.working);
  return {prices.AveragePriceOf(0), prices.RangeOf(0)};
}

std::string PriceRangeText(const PriceRange& range) {
  if (range.offers == 0) return {};
  // "в" asks for the prepositional case: one shop is "магазине", any other count "магазинах".
  std::string_view shops =
      common::RussianPlural(static_cast<std::uint64_t>(range.offers), "магазине"_cp1251,
                            "магазинах"_cp1251, "магазинах"_cp1251);
  // One price everywhere is no range: "от 50 до 50" would say less than "50".
  const std::string prices = range.low == range.high
                                 ? std::to_string(range.low)
                                 : std::string("от "_cp1251) + std::to_string(range.low) +
                                       std::string(" до "_cp1251) + std::to_string(range.high);
  return prices + std::string(", в "_cp1251) + std::to_string(range.offers) + " " +
         std::string(shops);
}

}  // namespace trubkom::catalogue
