#include "common/ascii.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace trubkom::common {

std::string AsciiLowered(std::string_view text) {
  std::string result(text);
  AsciiLowerInPlace(result);
  return result;
}

namespace {

// Lowers the ASCII capitals among eight bytes at once: a byte gets 0x20 added when it is below
// 0x80, at least 'A' and at most 'Z'. Price files of tens of megabytes are lowered whole.
std::uint64_t LowerEightBytes(std::uint64_t x) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  constexpr std::uint64_t kHigh = 0x8080808080808080ull;
  std::uint64_t seven = x & ~kHigh;
  std::uint64_t from_a = seven + (0x80 - 'A') * kOnes;   // high bit: byte >= 'A'
  std::uint64_t after_z = seven + (0x7F - 'Z') * kOnes;  // high bit: byte > 'Z'
  std::uint64_t upper = (from_a ^ after_z) & ~x & kHigh;
  return x | (upper >> 2);
}

}  // namespace

void AsciiLowerInPlace(std::string& text) {
  char* bytes = text.data();
  std::size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    word = LowerEightBytes(word);
    std::memcpy(bytes + i, &word, 8);
  }
  for (; i < text.size(); ++i) bytes[i] = AsciiLower(bytes[i]);
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
