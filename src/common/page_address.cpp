#include "common/page_address.h"

#include <sys/stat.h>

#include <cstdlib>
#include <memory>
#include <optional>

#include "common/ascii.h"
#include "common/paths.h"
#include "common/string_ops.h"

namespace trubkom::common {

namespace {

// The scheme before the first ':', lowered; empty text when the address has none.
std::string SchemeOf(std::string_view address) {
  std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return {};
  for (char c : address.substr(0, colon)) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    bool digit = c >= '0' && c <= '9';
    if (!letter && !digit && c != '+' && c != '-' && c != '.') return {};
  }
  return AsciiLowered(address.substr(0, colon));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = AsciiLower(c);
  return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

// The bytes of a percent-encoded path. None for an escape cut short, an escaped NUL, or an escaped
// '/', which the engine refuses in a file address and which would read as a separator here.
std::optional<std::string> PercentDecoded(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
    int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
    if (high < 0 || low < 0) return std::nullopt;
    char byte = char(high * 16 + low);
    if (byte == '\0' || byte == '/') return std::nullopt;
    bytes += byte;
    i += 2;
  }
  return bytes;
}

// The path with "." and ".." taken away as the engine does before it opens the file, so that the
// file judged is the file loaded even where a link lies before a "..".
std::string WithoutDotSegments(std::string_view path) {
  std::vector<std::string> kept;
  for (const std::string& part : SplitByChar(path, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!kept.empty()) kept.pop_back();
    } else {
      kept.push_back(part);
    }
  }
  std::string result;
  for (const std::string& part : kept) result += "/" + part;
  return result.empty() ? "/" : result;
}

// The real path of what path names, links followed; none when it does not exist.
std::optional<std::string> RealPath(const std::string& path) {
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

// The real path of the regular file that a file address names, the part after "file:"; none for
// a host (even "localhost"), a raw '\' or control character (the engine would read the address
// otherwise), a missing file, a folder, a device or a FIFO.
std::optional<std::string> FileOfAddress(std::string_view rest) {
  if (!rest.starts_with("///")) return std::nullopt;
  for (char c : rest) {
    if (c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return std::nullopt;
  }
  rest.remove_prefix(2);
  std::optional<std::string> path = PercentDecoded(rest.substr(0, rest.find_first_of("?#")));
  if (!path) return std::nullopt;
  std::optional<std::string> real = RealPath(WithoutDotSegments(*path));
  struct stat info;
  if (!real || ::stat(real->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return real;
}

bool InsideOneOf(const std::string& real, const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    std::optional<std::string> root = RealPath(folder);
    if (root && real.starts_with(WithTrailingSlash(*root))) return true;
  }
  return false;
}

}  // namespace

AddressUse UseOfAddress(std::string_view address, const std::vector<std::string>& folders) {
  std::string scheme = SchemeOf(address);
  std::string_view rest = address.substr(std::min(address.size(), scheme.size() + 1));
  if (scheme == "file") {
    std::optional<std::string> file = FileOfAddress(rest);
    return file && InsideOneOf(*file, folders) ? AddressUse::kShow : AddressUse::kRefuse;
  }
  if (scheme == "http" || scheme == "https" || scheme == "mailto") return AddressUse::kDesktop;
  if (scheme == "data" || (scheme == "about" && (rest == "blank" || rest == "srcdoc"))) {
    return AddressUse::kShow;
  }
  return AddressUse::kRefuse;
}

namespace {

// The text without CR and LF, raw or percent-encoded.
std::string WithoutLineBreaks(std::string_view text) {
  std::string kept;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') continue;
    if (text[i] == '%' && i + 2 < text.size() && text[i + 1] == '0' &&
        (AsciiLower(text[i + 2]) == 'd' || AsciiLower(text[i + 2]) == 'a')) {
      i += 2;
      continue;
    }
    kept += text[i];
  }
  return kept;
}

}  // namespace

std::string DesktopAddress(std::string_view address) {
  if (SchemeOf(address) != "mailto") return std::string(address);
  const std::size_t query = address.find('?');
  std::string kept = WithoutLineBreaks(address.substr(0, query));
  if (query == std::string_view::npos) return kept;
  char separator = '?';
  for (const std::string& field : SplitByChar(address.substr(query + 1), '&')) {
    std::string name = AsciiLowered(field.substr(0, field.find('=')));
    if (name != "subject" && name != "body" && name != "cc") continue;
    kept += separator;
    kept += WithoutLineBreaks(field);
    separator = '&';
  }
  return kept;
}

}  // namespace trubkom::common
