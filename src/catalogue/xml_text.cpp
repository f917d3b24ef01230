#include "catalogue/xml_text.h"

#include <charconv>
#include <optional>

#include "common/encoding.h"

namespace trubkom::catalogue {

namespace {

// The character a reference's name (between '&' and ';') stands for, if it is one.
std::optional<char32_t> Referenced(std::string_view name) {
  if (name == "amp") return U'&';
  if (name == "lt") return U'<';
  if (name == "gt") return U'>';
  if (name == "quot") return U'"';
  if (name == "apos") return U'\'';
  if (name.size() < 2 || name[0] != '#') return std::nullopt;
  const bool hex = name[1] == 'x';
  std::string_view digits = name.substr(hex ? 2 : 1);
  std::uint32_t code_point = 0;
  auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), code_point, hex ? 16 : 10);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
    return std::nullopt;
  }
  return static_cast<char32_t>(code_point);
}

}  // namespace

std::string Cp1251TextOf(std::string_view raw, bool utf8) {
  // References are ASCII, so they survive the conversion and are replaced after it.
  std::string converted = utf8 ? common::Cp1251FromUtf8(raw) : std::string();
  std::string_view text = utf8 ? std::string_view(converted) : raw;
  if (text.find('&') == std::string_view::npos) return std::string(text);
  std::string result;
  result.reserve(text.size());
  while (!text.empty()) {
    std::size_t amp = text.find('&');
    result.append(text.substr(0, amp));
    if (amp == std::string_view::npos) break;
    text.remove_prefix(amp);
    std::size_t semicolon = text.find(';');
    std::optional<char32_t> character = semicolon == std::string_view::npos
                                            ? std::nullopt
                                            : Referenced(text.substr(1, semicolon - 1));
    if (!character) {
      result += '&';
      text.remove_prefix(1);
      continue;
    }
    const int byte = common::cp1251::ByteOf(*character);
    result += byte < 0 ? '?' : static_cast<char>(byte);
    text.remove_prefix(semicolon + 1);
  }
  return result;
}

}  // namespace trubkom::catalogue
