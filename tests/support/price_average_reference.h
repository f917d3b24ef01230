#pragma once

#include <string>
#include <string_view>

#include "common/string_ops.h"

// The average price by its literal definition, line by line and query by query. The program
// never calls it: it is the reference that the tests, the price-list fuzz target and the
// benchmarks hold the one-pass BrandPrices (price_pass.h) to.
namespace trubkom::catalogue {

// Every line of every price list, in listing order, sorted with ASCII letters folded.
common::StringList LoadPriceLines(const std::string& working_folder);

// The average of the prices of the lines that belong to the query ("brand model"), the fraction
// discarded, as decimal text; empty text when no line belongs to it.
std::string AveragePrice(const common::StringList& price_lines, std::string_view query);

}  // namespace trubkom::catalogue
