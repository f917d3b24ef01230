#pragma once

#include <string>
#include <vector>

#include "catalogue/price_history.h"

// The price history of a model drawn as a small line chart: inline SVG made here, so that the
// page needs no script and no file beside it.
namespace trubkom::catalogue {

// The chart of the points (oldest first), under its caption: a line through them placed by
// their dates, the lowest and highest price in roubles at the left, the first and last date
// below. Empty text for fewer than two points.
std::string PriceChartSvg(const std::vector<PricePoint>& points);

// "&uarr;", "&darr;" or "&rarr;" as the last two points rose, fell or stayed; empty text for
// fewer than two points.
std::string PriceTrendArrow(const std::vector<PricePoint>& points);

}  // namespace trubkom::catalogue
