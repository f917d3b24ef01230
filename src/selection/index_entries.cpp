#include "selection/index_entries.h"

#include "selection/indexed_lines.h"

namespace trubkom::selection::index_entries {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int SmallProperty(std::string_view digits) {
  if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) return -1;
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

bool ReadAnyEntry(const char* bar, const char* end, Entry& entry) {
  const char* open = bar + 1;
  while (open < end && IsDigit(*open)) ++open;
  if (open == end || *open != '(') return false;
  const std::string_view digits(bar + 1, static_cast<std::size_t>(open - bar - 1));
  entry = {digits, SmallProperty(digits), std::nullopt, -1};
  const char* close = open + 1;
  std::uint64_t number = 0;
  bool digits_only = true;
  for (; close < end && *close != ')'; ++close) {
    auto digit = static_cast<unsigned>(static_cast<unsigned char>(*close) - '0');
    digits_only &= digit < 10;
    number = number * 10 + digit;
  }
  if (close < end) {
    std::string_view value(open + 1, static_cast<std::size_t>(close - open - 1));
    entry.value = value;
    bool plain = digits_only && !value.empty() && value.size() <= 10 &&
                 (value.size() == 1 || value[0] != '0');
    if (plain && number < IndexedLines::kTextCode) {
      entry.small_value = static_cast<long long>(number);
    }
  }
  return true;
}

}  // namespace trubkom::selection::index_entries
