#include "common/line_table.h"

#include <string.h>

#include <algorithm>
#include <stdexcept>

#include "common/parallel_parts.h"
#include "common/table_cap.h"

namespace trubkom::common {

LineTable::LineTable(const StringList& lines) {
  for (const std::string& line : lines) Append(line);
}

LineTable::LineTable(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) Append(line);
}

// Each line is ended by a CR, as in a file, so that whatever reads past a line's end meets it.
void LineTable::Append(std::string_view line) {
  CheckTableSize(bytes_.size() + line.size(), "переполнена таблица строк");
  spans_.push_back(
      {static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(line.size())});
  bytes_.append(line.data(), line.size());
  bytes_.append("\r", 1);
}

namespace {

// Files of a megabyte or more are split in parts side by side.
constexpr std::size_t kPartBytes = std::size_t{1} << 20;

// The start of the first line that starts at or after from (the end when none does): right
// after a CR, and after the LF that follows it.
std::size_t LineStartFrom(std::string_view bytes, std::size_t from) {
  if (from == 0) return 0;
  const void* cr = memchr(bytes.data() + from, '\r', bytes.size() - from);
  if (cr == nullptr) return bytes.size();
  std::size_t start = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data()) + 1;
  if (start < bytes.size() && bytes[start] == '\n') ++start;
  return start;
}

}  // namespace

// Adds the lines that start from first up to last, itself a line's start or the end.
void LineTable::SplitRange(std::size_t first, std::size_t last, std::vector<Span>& spans) const {
  const char* const data = bytes_.data();
  std::size_t start = first;
  while (start < last) {
    const void* cr = memchr(data + start, '\r', last - start);
    std::size_t end = cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - data) : last;
    spans.push_back({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)});
    start = end + 1;
    if (start < last && data[start] == '\n' && end < last) ++start;
  }
}

// Files are read whole under a cap far below 4 GiB (common/line_file.h), so offsets fit in 32
// bits; a larger text is refused rather than cut.
LineTable LineTable::SplitAtCr(ByteBuffer bytes) {
  CheckTableSize(bytes.size(), "переполнена таблица строк");
  LineTable table;
  table.bytes_ = std::move(bytes);
  const std::string_view all = table.bytes_.view();
  const std::size_t parts = PartsFor(all.size(), kPartBytes);
  std::vector<std::size_t> starts = {0};
  for (std::size_t part = 1; part < parts; ++part) {
    starts.push_back(std::max(starts.back(), LineStartFrom(all, all.size() / parts * part)));
  }
  starts.push_back(all.size());
  std::vector<std::vector<Span>> spans(parts);
  RunParts(parts, [&](std::size_t part) {
    table.SplitRange(starts[part], starts[part + 1], spans[part]);
  });
  table.spans_ = std::move(spans[0]);
  for (std::size_t part = 1; part < parts; ++part) {
    table.spans_.insert(table.spans_.end(), spans[part].begin(), spans[part].end());
  }
  return table;
}

LineTable LineTable::Join(std::vector<LineTable> tables) {
  std::size_t bytes = 0, lines = 0;
  for (const LineTable& table : tables) {
    bytes += table.bytes_.size();
    lines += table.size();
  }
  CheckTableSize(bytes, "переполнена таблица строк");
  LineTable joined;
  joined.bytes_.resize(bytes);  // room for all, filled from the start
  joined.bytes_.resize(0);
  joined.spans_.reserve(lines);
  for (LineTable& table : tables) {
    const auto shift = static_cast<std::uint32_t>(joined.bytes_.size());
    for (Span span : table.spans_) joined.spans_.push_back({span.start + shift, span.size});
    joined.bytes_.append(table.bytes_.data(), table.bytes_.size());
    table = LineTable();  // its memory goes back as the joined table grows
  }
  return joined;
}

std::size_t LineTable::MemoryBytes() const {
  return sizeof *this + bytes_.capacity() + spans_.capacity() * sizeof(Span);
}

}  // namespace trubkom::common
