#pragma once

#include <string>
#include <vector>

#include "catalogue/compare_rows.h"
#include "common/string_ops.h"

// The comparison's row "Средняя цена": what the shops ask for each model in roubles, its average
// and the range of the offers, beside the brand files' price in dollars.
namespace trubkom::catalogue {

// The row for the models named as the basket holds them, in their order: "1250 р. (от 1000 до
// 1501, в 2 магазинах)", or empty for a model no shop offers. The price lists are read once for
// all the models.
CompareRow ShopPriceRow(const std::string& working_folder,
                        const std::vector<common::BrandAndModel>& names);

}  // namespace trubkom::catalogue
