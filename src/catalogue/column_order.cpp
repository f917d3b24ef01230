#include "catalogue/column_order.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <optional>

#include "common/encoding.h"

namespace trubkom::catalogue {

namespace {

// What a cell sorts by: a whole number ("120", "-5") by its value, any other text by its
// lowered letters (Windows-1251 has the Cyrillic letters in the alphabet's order, but for Ё).
struct SortKey {
  bool empty = false;
  std::optional<long long> number;
  std::string letters;
};

SortKey KeyOf(std::string_view text) {
  SortKey key{text.empty(), std::nullopt, {}};
  long long value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (!text.empty() && error == std::errc() && end == text.data() + text.size()) {
    key.number = value;
  } else {
    key.letters = common::Cp1251Lowered(text);
  }
  return key;
}

bool Less(const SortKey& a, const SortKey& b) {
  if (a.number && b.number) return *a.number < *b.number;
  if (a.number || b.number) return a.number.has_value();
  return std::lexicographical_compare(
      a.letters.begin(), a.letters.end(), b.letters.begin(), b.letters.end(),
      [](char x, char y) { return static_cast<unsigned char>(x) < static_cast<unsigned char>(y); });
}

}  // namespace

void ColumnOrder::Click(int column) {
  descending_ = column == column_ && !descending_;
  column_ = column;
}

void ColumnOrder::Reset() {
  column_ = -1;
  descending_ = false;
}

std::vector<std::size_t> ColumnOrder::Arrange(const std::vector<std::string>& texts) const {
  std::vector<std::size_t> order(texts.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  if (column_ < 0) return order;
  std::vector<SortKey> keys;
  keys.reserve(texts.size());
  for (const std::string& text : texts) keys.push_back(KeyOf(text));
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const SortKey &key_a = keys[a], &key_b = keys[b];
    if (key_a.empty || key_b.empty) return !key_a.empty && key_b.empty;
    return descending_ ? Less(key_b, key_a) : Less(key_a, key_b);
  });
  return order;
}

}  // namespace trubkom::catalogue
