#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The order of a list whose column header the user clicks: the first click on a column sorts
// the rows by it, the next click on the same column reverses them; until then, and after a
// reset, the rows keep the order the list was given in.
namespace trubkom::catalogue {

class ColumnOrder {
 public:
  // A click on the header of the column.
  void Click(int column);
  // Back to the list's own order (a new brand, a list cleared).
  void Reset();

  // The column sorted by, or -1 for the list's own order.
  int column() const { return column_; }
  bool descending() const { return descending_; }

  // The rows' places in the order, given each row's text in the sorted column in the list's own
  // order: the first row shown is texts[order[0]]. Rows without text come last either way;
  // rows of equal text keep their own order. Numbers (prices) sort by value and before words;
  // words by their letters, letter case ignored (Latin and Cyrillic).
  std::vector<std::size_t> Arrange(const std::vector<std::string>& texts) const;

 private:
  int column_ = -1;
  bool descending_ = false;
};

}  // namespace trubkom::catalogue
