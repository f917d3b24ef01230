#include "catalogue/home_page.h"

#include "common/ascii.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/string_ops.h"
#include "common/warnings.h"

namespace trubkom::catalogue {

namespace {

bool IsLetter(char c) { return common::AsciiLower(c) >= 'a' && common::AsciiLower(c) <= 'z'; }

std::string_view WithoutBlanksAround(std::string_view line) {
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  return line;
}

// A scheme is two or more letters, digits, '+', '-' or '.', the first a letter, then ':'; a
// single letter before ':' is a drive, not a scheme.
bool HasScheme(std::string_view line) {
  std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon < 2 || !IsLetter(line[0])) return false;
  for (char c : line.substr(0, colon)) {
    if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string HomePageTarget(const std::string& working_folder, std::string_view line) {
  std::string target(WithoutBlanksAround(line));
  if (target.empty() || HasScheme(target)) return target;
  target = common::ReplaceAll(target, "\\", "/");
  // A file goes as a file:// address: the desktop is handed Windows-1251 text, which could not
  // carry the UTF-8 bytes of a working folder named in Cyrillic.
  if (target.starts_with('/')) return common::FileUrl(target);
  return common::FileUrl(common::ResolvePath(working_folder, target));
}

std::string ReadHomePage(const std::string& working_folder) {
  common::StringList lines = common::SplitLinesAtAnyEnd(common::ValueOrWarn(common::ReadFile(
      common::ResolvePath(working_folder, "Templates/hp"), common::kSettingFileCap)));
  if (lines.empty()) return {};
  return HomePageTarget(working_folder, lines.front());
}

}  // namespace trubkom::catalogue
