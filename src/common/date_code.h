#pragma once

#include <string>
#include <string_view>

// Update packages and new-model files carry the date of their update as six digits DDMMYY in
// characters 4 to 9 of their file name ("upd151207.upd": 15 December 2007).
namespace trubkom::common {

// Characters 4 to 9 of the file name, ASCII letters lowered; shorter when the name is.
std::string DateCodeOf(std::string_view file_name);

// "DD.MM.YY" from the two-character pieces of the code; missing pieces are empty ("" gives "..").
std::string DisplayDate(std::string_view code);

// 1 when a is later than b, -1 when earlier, 0 when equal: the years first (two digits, so 99
// is later than 07), then the months, then the days. Each piece reads as TextToInt does.
int CompareUpdateDates(std::string_view a, std::string_view b);

}  // namespace trubkom::common
