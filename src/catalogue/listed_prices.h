#pragma once

#include <string>
#include <vector>

#include "catalogue/listed_brands.h"

// The average prices of every brand's models found in one pass over the price lists: each file
// is read and lowered once, whatever the number of brands and models.
namespace trubkom::catalogue {

// Sets the averages of the brands' models: a model's average over the price lists of the
// working folder is what BrandPrices finds for the query "brand model", the brand in its
// library spelling (LibraryBrand) and the model's name without its " *" marks.
// While the lists are read, a model costs a few bytes more than it keeps (its place in a table
// of its brand, a count), and nothing is held of the price lists but the files being read.
void PriceListedBrands(const std::string& working_folder, std::vector<ListedBrand>& brands);

}  // namespace trubkom::catalogue
