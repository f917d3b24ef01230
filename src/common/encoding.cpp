#include "common/encoding.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "common/short_bytes.h"

namespace trubkom::common {

namespace {

// The UTF-8 form of each Windows-1251 byte: up to three bytes and their count; the byte that
// stands for no character (0x98) has none.
struct Utf8Form {
  char bytes[3];
  unsigned char size;
};

constexpr char32_t CodePointOf(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xC0) return 0x0410 + (byte - 0xC0);
  return cp1251::kBytes80ToBF[byte - 0x80];
}

constexpr Utf8Form EncodeUtf8(char32_t c) {
  if (c < 0x80) return {{static_cast<char>(c), 0, 0}, 1};
  if (c < 0x800) {
    return {{static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0}, 2};
  }
  return {{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
           static_cast<char>(0x80 | (c & 0x3F))},
          3};
}

constexpr std::array<Utf8Form, 256> kToUtf8 = [] {
  std::array<Utf8Form, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    char32_t c = CodePointOf(static_cast<unsigned char>(byte));
    table[byte] = byte != 0 && c == 0 ? Utf8Form{{'?', 0, 0}, 1} : EncodeUtf8(c);
  }
  return table;
}();

// The code points of the bytes 0x80 to 0xBF with their bytes, sorted by code point.
constexpr std::array<std::pair<char32_t, char>, 63> kFromCodePoint = [] {
  std::array<std::pair<char32_t, char>, 63> pairs{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < cp1251::kBytes80ToBF.size(); ++i) {
    if (cp1251::kBytes80ToBF[i] != 0) {
      pairs[n++] = {cp1251::kBytes80ToBF[i], static_cast<char>(0x80 + i)};
    }
  }
  std::sort(pairs.begin(), pairs.end());
  return pairs;
}();

constexpr char32_t LowerCodePoint(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0x0410 && c <= 0x042F)) return c + 0x20;  // A-Z, А-Я
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;                              // Ё, Ђ, Є, ...
  if (c == 0x0490) return 0x0491;                                               // Ґ
  return c;
}

// Each byte's lower-case byte; every upper-case letter of Windows-1251 has its lower case there.
constexpr std::array<char, 256> kLowered = [] {
  std::array<char, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    int lower = cp1251::ByteOf(LowerCodePoint(CodePointOf(static_cast<unsigned char>(byte))));
    table[byte] = static_cast<char>(byte == 0x98 || lower < 0 ? byte : unsigned(lower));
  }
  return table;
}();

// The byte that lowers to each byte, other than the byte itself; the byte itself when none does.
// Lowering changes no byte into one that another byte lowers to as well, so each has one.
constexpr std::array<char, 256> kCapital = [] {
  std::array<char, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) table[byte] = static_cast<char>(byte);
  for (unsigned byte = 0; byte < 256; ++byte) {
    const auto lowered = static_cast<unsigned char>(kLowered[byte]);
    if (lowered != byte) table[lowered] = static_cast<char>(byte);
  }
  return table;
}();

constexpr bool LoweringLosesNothing() {
  for (unsigned byte = 0; byte < 256; ++byte) {
    const auto lowered = static_cast<unsigned char>(kLowered[byte]);
    if (lowered != byte && static_cast<unsigned char>(kCapital[lowered]) != byte) return false;
  }
  return true;
}
static_assert(LoweringLosesNothing(), "a lowered byte would not say which capital it was");

char ByteOfCodePoint(char32_t c) {
  if (c < 0x80) return static_cast<char>(c);
  if (c >= 0x0410 && c <= 0x044F) return static_cast<char>(0xC0 + (c - 0x0410));
  auto at = std::lower_bound(kFromCodePoint.begin(), kFromCodePoint.end(), c,
                             [](const auto& pair, char32_t code) { return pair.first < code; });
  return at != kFromCodePoint.end() && at->first == c ? at->second : '?';
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The code point of the UTF-8 sequence at text[at], and how many bytes it takes; a broken or
// overlong sequence gives no code point (0xFFFFFFFF) and one byte plus the continuation bytes
// after it, so that one '?' stands for it.
std::pair<char32_t, std::size_t> DecodeUtf8(std::string_view text, std::size_t at) {
  constexpr char32_t kBroken = 0xFFFFFFFF;
  const auto lead = static_cast<unsigned char>(text[at]);
  std::size_t length = lead < 0x80           ? 1
                       : (lead >> 5) == 0x6  ? 2
                       : (lead >> 4) == 0xE  ? 3
                       : (lead >> 3) == 0x1E ? 4
                                             : 0;
  char32_t c = length == 1   ? lead
               : length == 2 ? lead & 0x1F
               : length == 3 ? lead & 0x0F
                             : lead & 7;
  bool whole = length != 0 && at + length <= text.size();
  for (std::size_t i = 1; whole && i < length; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    whole = IsContinuation(next);
    c = (c << 6) | (next & 0x3F);
  }
  constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (whole && c >= kSmallest[length] && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF)) {
    return {c, length};
  }
  std::size_t skip = 1;
  while (at + skip < text.size() && IsContinuation(static_cast<unsigned char>(text[at + skip]))) {
    ++skip;
  }
  return {kBroken, skip};
}

}  // namespace

std::string Cp1251FromUtf8(std::string_view utf8) {
  std::string result;
  result.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[at]);
    if (byte < 0x80) {  // the usual case: ASCII goes through as it is
      result += static_cast<char>(byte);
      ++at;
      continue;
    }
    auto [code_point, length] = DecodeUtf8(utf8, at);
    result += ByteOfCodePoint(code_point);
    at += length;
  }
  return result;
}

std::string Utf8FromCp1251(std::string_view cp1251) {
  std::string result;
  result.resize(cp1251.size() * 3);
  char* out = result.data();
  for (std::size_t at = 0; at < cp1251.size();) {
    // Eight ASCII bytes, the most of any catalogue's text, are the same in UTF-8: copied whole.
    if (at + 8 <= cp1251.size() &&
        (LoadEightBytes(cp1251.data() + at) & 0x8080808080808080u) == 0) {
      std::memcpy(out, cp1251.data() + at, 8);
      out += 8;
      at += 8;
      continue;
    }
    const Utf8Form& form = kToUtf8[static_cast<unsigned char>(cp1251[at++])];
    out[0] = form.bytes[0];
    out[1] = form.bytes[1];
    out[2] = form.bytes[2];
    out += form.size;
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return result;
}

char Cp1251Capital(char lowered) { return kCapital[static_cast<unsigned char>(lowered)]; }

std::string Cp1251Lowered(std::string_view cp1251) {
  std::string lowered(cp1251.size(), '\0');
  for (std::size_t i = 0; i < cp1251.size(); ++i) {
    lowered[i] = kLowered[static_cast<unsigned char>(cp1251[i])];
  }
  return lowered;
}

}  // namespace trubkom::common
