#pragma once

#include <string>
#include <string_view>

#include "catalogue/folders.h"
#include "catalogue/price_pass.h"
#include "common/ports.h"

// The shops' offers of one model on its page (price_files.h), and the page of all of them.
namespace trubkom::catalogue {

// The address that shops write to about their price lists.
inline constexpr std::string_view kContactEmail = "prices@trubkom.example";

// The block of up to three shops' offers for a model page, and the full list of offers written
// to Templates/price_temp.html. Empty text, and no file written, when no shop offers it. Given
// also, the same pass over the price lists adds them to it: a page that shows the model's price
// figures too reads the lists once.
std::string BuildPriceBlock(const Folders& folders, std::string_view brand, std::string_view model,
                            common::Random& random, BrandPrices* also = nullptr);

}  // namespace trubkom::catalogue
