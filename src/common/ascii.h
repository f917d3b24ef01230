#pragma once

#include <string>
#include <string_view>
#include <vector>

// Case rules of the catalogue: only the ASCII letters A to Z fold; every other byte, the
// Windows-1251 Cyrillic letters included, stays as it is.
namespace trubkom::common {

constexpr char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
constexpr char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

std::string AsciiLowered(std::string_view text);
void AsciiLowerInPlace(std::string& text);

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Byte order over unsigned bytes: upper-case Latin before lower-case, Cyrillic after both.
bool ByteLess(std::string_view a, std::string_view b);
// Byte order after folding the ASCII letters to lower case.
bool FoldedLess(std::string_view a, std::string_view b);

void SortByBytes(std::vector<std::string>& list);
// The texts in the order they would have with suffix after each: the names of a list whose
// entries all end with a mark, sorted before a string is made of any.
void SortByBytes(std::vector<std::string_view>& texts, std::string_view suffix);
void SortFolded(std::vector<std::string>& list);

}  // namespace trubkom::common
