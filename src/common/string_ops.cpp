#include "common/string_ops.h"

namespace trubkom::common {

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
  if (find.empty()) return std::string(text);
  std::string result;
  result.reserve(text.size());
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(find, from)) != std::string_view::npos;
       from = at + find.size()) {
    result.append(text.substr(from, at - from));
    result.append(replacement);
  }
  result.append(text.substr(from));
  return result;
}

StringList SplitByChar(std::string_view text, char separator) {
  StringList pieces;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == separator) {
      pieces.emplace_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  if (start < text.size()) pieces.emplace_back(text.substr(start));
  return pieces;
}

long long TextToInt(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long value = 0;
  constexpr long long kLimit = 100'000'000'000'000'000LL;  // far beyond any catalogue number
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < kLimit) value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

const std::string& At(const StringList& list, std::size_t i) {
  static const std::string kEmpty;
  return i < list.size() ? list[i] : kEmpty;
}

std::string_view Before(std::string_view text, std::string_view mark) {
  return text.substr(0, text.find(mark));
}

std::string_view After(std::string_view text, std::string_view mark) {
  std::size_t at = text.find(mark);
  return at == std::string_view::npos ? std::string_view() : text.substr(at + mark.size());
}

std::optional<BrandAndModel> SplitRow(std::string_view row) {
  std::size_t blank = row.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  return BrandAndModel{std::string(row.substr(0, blank)), std::string(row.substr(blank + 1))};
}

}  // namespace trubkom::common
