#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "common/string_ops.h"

// The measurable properties of the comparison and which value of a row is the best.
namespace trubkom::catalogue {

enum class Measure {
  kNone,         // not measurable: no value is better than another
  kPrice,        // the brand file's, in dollars; lower wins
  kShopPrice,    // the shops' average, in roubles; lower wins
  kSizes,        // "AxBxC мм" or "см", the volume; lower wins
  kWeight,       // "г" or "кг"; lower wins
  kSar,          // lower wins
  kStandbyTime,  // "ч", "мин" or "дн", hours when no unit is written; higher wins
  kTalkTime,     // the same units, minutes when no unit is written; higher wins
  kCapacity,  // the battery's "мАч" or "Ач" within its type ("Li-Ion 875 мАч"); higher wins
  kRows,      // display rows; higher wins
};

// The value as one number in the measure's smallest unit; none when the text holds no number
// or a unit this measure does not know (Windows-1251 text, letter case ignored).
std::optional<double> MeasureValue(Measure measure, std::string_view text);

// For each value whether it is the best of the row. None is when fewer than two values can be
// measured or when two or more share the best.
std::vector<bool> BestValues(Measure measure, const common::StringList& values);

}  // namespace trubkom::catalogue
