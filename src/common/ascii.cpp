#include "common/ascii.h"

#include <algorithm>

namespace trubkom::common {

std::string AsciiLowered(std::string_view text) {
  std::string result(text);
  AsciiLowerInPlace(result);
  return result;
}

void AsciiLowerInPlace(std::string& text) {
  for (char& c : text) c = AsciiLower(c);
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool ByteLess(std::string_view a, std::string_view b) {
  // char_traits<char> compares as unsigned char.
  return a < b;
}

bool FoldedLess(std::string_view a, std::string_view b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(AsciiLower(x)) < static_cast<unsigned char>(AsciiLower(y));
  });
}

void SortByBytes(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return ByteLess(a, b); });
}

void SortFolded(std::vector<std::string>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const std::string& a, const std::string& b) { return FoldedLess(a, b); });
}

}  // namespace trubkom::common
