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
  ForEachLine(bytes, is_line_end, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace

StringList SplitLinesAtCr(std::string_view bytes) { return SplitLines(bytes, IsCr); }

StringList SplitLinesAtAnyEnd(std::string_view bytes) { return SplitLines(bytes, IsCrOrLf); }

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
