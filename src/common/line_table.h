#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "common/byte_buffer.h"
#include "common/string_ops.h"

// The lines of a large text file kept in the file's own bytes: the model index holds a hundred
// thousand lines, which as separate strings would cost an allocation and a header each and
// scatter the text over the heap.
namespace trubkom::common {

class LineTable {
 public:
  LineTable() = default;
  // Lines given one by one, each kept as it is (the catalogue's tests and small callers).
  LineTable(const StringList& lines);  // NOLINT(google-explicit-constructor)
  LineTable(std::initializer_list<std::string_view> lines);

  // The lines of bytes ended at CR, a LF right after the CR belonging to the end, as
  // SplitLinesAtCr gives them (common/line_file.h).
  static LineTable SplitAtCr(ByteBuffer bytes);
  static LineTable SplitAtCr(std::string_view bytes) { return SplitAtCr(ByteBuffer(bytes)); }
  // The lines of the tables one after another.
  static LineTable Join(std::vector<LineTable> tables);

  void Append(std::string_view line);  // kept as it is, as a line given one by one

  std::size_t size() const { return spans_.size(); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](std::size_t i) const {
    return std::string_view(bytes_.data() + spans_[i].start, spans_[i].size);
  }
  // Every line's bytes in one piece, each line followed by the CR that ends it (the last one
  // perhaps by nothing).
  std::string_view bytes() const { return bytes_.view(); }
  std::size_t MemoryBytes() const;

  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    Iterator() = default;
    Iterator(const LineTable* table, std::size_t at) : table_(table), at_(at) {}
    std::string_view operator*() const { return (*table_)[at_]; }
    Iterator& operator++() {
      ++at_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++at_;
      return before;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    const LineTable* table_ = nullptr;
    std::size_t at_ = 0;
  };
  Iterator begin() const { return {this, 0}; }
  Iterator end() const { return {this, size()}; }

 private:
  struct Span {
    std::uint32_t start, size;
  };
  void SplitRange(std::size_t first, std::size_t last, std::vector<Span>& spans) const;

  ByteBuffer bytes_;
  std::vector<Span> spans_;
};

}  // namespace trubkom::common
