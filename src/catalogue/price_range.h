#pragma once

#include <string>

#include "catalogue/folders.h"
#include "catalogue/price_pass.h"

// What the shops ask for one model: the average, the lowest and highest price and the number of
// offers, found by the same pass as the models list's averages (price_pass.h).
namespace trubkom::catalogue {

struct ModelPriceFigures {
  std::string average;  // as the models list shows it; empty when no shop offers the model
  PriceRange range;
};

// brand as the brand box shows it, model as the list shows it (the " *" mark is ignored).
ModelPriceFigures PriceFiguresOf(const Folders& folders, const std::string& brand,
                                 const std::string& model);

// "от MIN до MAX, в N магазинах", or "PRICE, в N магазинах" when all ask one price
// (Windows-1251); empty text when there are no offers.
std::string PriceRangeText(const PriceRange& range);

}  // namespace trubkom::catalogue
