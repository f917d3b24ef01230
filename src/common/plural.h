#pragma once

#include <cstdint>
#include <string_view>

namespace trubkom::common {

// The Russian form of a noun for a count: one (1, 21, 101: "список"), few (2-4, 22-24:
// "списка") or many (0, 5-20, 11-14, 25: "списков").
constexpr std::string_view RussianPlural(std::uint64_t count, std::string_view one,
                                         std::string_view few, std::string_view many) {
  const std::uint64_t last_two = count % 100, last = count % 10;
  if (last_two >= 11 && last_two <= 14) return many;
  if (last == 1) return one;
  if (last >= 2 && last <= 4) return few;
  return many;
}

}  // namespace trubkom::common
