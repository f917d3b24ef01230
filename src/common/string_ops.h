#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text operations that every part of the catalogue uses.
namespace trubkom::common {

using StringList = std::vector<std::string>;

// Every occurrence of find replaced, searching on after each replacement; case-sensitive.
// An empty find leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);

// Pieces between separators. A separator always ends a piece, even an empty one; the text after
// the last separator is a piece only when it is not empty ("a^" gives one piece, "^" one empty).
StringList SplitByChar(std::string_view text, char separator);
inline StringList SplitCarets(std::string_view text) { return SplitByChar(text, '^'); }

// An optional sign, then the decimal digits up to the first non-digit; no digits give 0.
long long TextToInt(std::string_view text);

// Entry i of a list, or empty text past its end.
const std::string& At(const StringList& list, std::size_t i);

inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}
inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The text before the first occurrence of mark, or the whole text when mark is absent.
std::string_view Before(std::string_view text, std::string_view mark);
// The text after the first occurrence of mark, or empty text when mark is absent.
std::string_view After(std::string_view text, std::string_view mark);

// Brand and model of a row "brand model": the brand is the text before the first blank.
struct BrandAndModel {
  std::string brand;
  std::string model;
};
// The brand (before the first blank) and the model (after it); none for a row without a blank,
// which names no model.
std::optional<BrandAndModel> SplitRow(std::string_view row);

}  // namespace trubkom::common
