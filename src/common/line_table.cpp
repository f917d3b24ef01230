#include "common/line_table.h"

#include <string.h>

#include <stdexcept>

namespace trubkom::common {

LineTable::LineTable(const StringList& lines) {
  for (const std::string& line : lines) Add(line);
}

LineTable::LineTable(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) Add(line);
}

void LineTable::Add(std::string_view line) {
  if (bytes_.size() + line.size() > UINT32_MAX) throw std::length_error("line table too large");
  spans_.push_back(
      {static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(line.size())});
  bytes_ += line;
}

// Files are read whole under a cap far below 4 GiB (common/line_file.h), so offsets fit in 32
// bits; a larger text is refused rather than cut.
LineTable LineTable::SplitAtCr(std::string bytes) {
  if (bytes.size() > UINT32_MAX) throw std::length_error("line table too large");
  LineTable table;
  table.bytes_ = std::move(bytes);
  const char* const data = table.bytes_.data();
  const std::size_t size = table.bytes_.size();
  std::size_t start = 0;
  while (start < size) {
    const void* cr = memchr(data + start, '\r', size - start);
    std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : size;
    table.spans_.push_back(
        {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)});
    start = end + 1;
    if (start < size && data[start] == '\n' && end < size) ++start;
  }
  return table;
}

StringList LineTable::ToStringList() const {
  StringList lines;
  lines.reserve(size());
  for (std::string_view line : *this) lines.emplace_back(line);
  return lines;
}

std::size_t LineTable::MemoryBytes() const {
  return sizeof *this + bytes_.capacity() + spans_.capacity() * sizeof(Span);
}

}  // namespace trubkom::common
