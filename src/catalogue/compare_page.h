#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "catalogue/page_context.h"
#include "catalogue/page_file.h"

// The comparison page: the basket's models side by side, a row of pictures above one column of
// values per model.
//
// A template that places <!labels!> (the column of row titles, made here so that its rows match
// the values') gets more: the best value of each measurable row is marked (class CompareBest),
// rows in which all models agree carry class CompareSame, each model's name is followed by the
// trend of its price history (class PriceTrend), and <!compare_switch!> places the switch
// "Только различия". The switch is a link between two page files written beside temp.html,
// kAllRowsPage and kDifferencesPage; the window remembers which one was shown last. These pages
// also carry the row "Средняя цена", the shops' average in roubles (compare_price_row.h).
//
// A template without <!labels!> gets the page it always had; with only the differences asked
// for, the program's own labelled layout in the catalogue's style sheet, whose switch goes back
// to the page it always had.
namespace trubkom::catalogue {

inline constexpr std::string_view kAllRowsPage = "compare_all.html";
inline constexpr std::string_view kDifferencesPage = "compare_differences.html";

// basket_text holds the basket entries ("brand model") in basket order, each followed by "^".
// only_differences leaves out the rows in which all models agree (with a template that has
// <!labels!>). Returns what became of the page file.
PageFile ShowComparePage(PageContext& context, const std::string& basket_text,
                         bool only_differences = false);

// The switch's choice that a page file of the browser area stands for: true for
// kDifferencesPage, false for kAllRowsPage, none for any other file name.
std::optional<bool> DifferencesChoiceOf(std::string_view file_name);

}  // namespace trubkom::catalogue
