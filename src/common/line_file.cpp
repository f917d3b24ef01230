#include "common/line_file.h"

#include <fstream>
#include <iterator>

#include "common/atomic_file.h"

namespace trubkom::common {

std::optional<std::string> ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

namespace {

template <typename IsLineEnd>
StringList SplitLines(std::string_view bytes, IsLineEnd is_line_end) {
  StringList lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!is_line_end(bytes[i])) continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

}  // namespace

StringList SplitLinesAtCr(std::string_view bytes) {
  return SplitLines(bytes, [](char c) { return c == '\r'; });
}

StringList SplitLinesAtAnyEnd(std::string_view bytes) {
  return SplitLines(bytes, [](char c) { return c == '\r' || c == '\n'; });
}

std::optional<StringList> ReadLinesAtCr(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return SplitLinesAtCr(*bytes);
}

std::optional<StringList> ReadLinesAtAnyEnd(const std::string& path) {
  auto bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return SplitLinesAtAnyEnd(*bytes);
}

std::string JoinWithCrLf(const StringList& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

bool WriteLinesCrLf(const std::string& path, const StringList& lines) {
  return ReplaceFileAtomically(path, JoinWithCrLf(lines));
}

}  // namespace trubkom::common
