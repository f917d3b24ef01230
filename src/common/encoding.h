#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

// Catalogue text is Windows-1251; source code and the terminal speak UTF-8.
namespace trubkom::common {

// Characters that Windows-1251 lacks become '?'.
std::string Cp1251FromUtf8(std::string_view utf8);
std::string Utf8FromCp1251(std::string_view cp1251);

// The text with every letter in lower case, Latin and Cyrillic alike ("Ёлка K750" is
// "ёлка k750"), for searches that a user types; the catalogue's own look-ups fold only ASCII
// (ascii.h).
std::string Cp1251Lowered(std::string_view cp1251);
// The capital that lowers to the byte (Windows-1251): the byte itself when no other lowers to it.
// Lowering is undone byte by byte from it and a mark of the bytes that were capitals.
char Cp1251Capital(char lowered);

// ---- Constant texts, converted while compiling ----------------------------------------------
//
// The pages' fixed texts are written in UTF-8 in the source and needed in Windows-1251: the
// literal "Все цены ("_cp1251 is that text's Windows-1251 bytes, converted once by the compiler,
// and a character that Windows-1251 lacks is a compile error instead of a '?' on a page.
// Keep them in constexpr tables and in expressions: clang 14 crashes while it explains why a
// static std::string or std::vector initialised from one is no constant.

namespace cp1251 {

// The code points of the bytes 0x80 to 0xBF (0 for 0x98, which stands for none); the bytes 0xC0
// to 0xFF are the letters А to я, U+0410 to U+044F, in order.
inline constexpr std::array<char32_t, 64> kBytes80ToBF = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

// The Windows-1251 byte of a code point, or -1 when it has none.
constexpr int ByteOf(char32_t code_point) {
  if (code_point < 0x80) return static_cast<int>(code_point);
  if (code_point >= 0x0410 && code_point <= 0x044F) return static_cast<int>(code_point - 0x350);
  for (std::size_t i = 0; i < kBytes80ToBF.size(); ++i) {
    if (kBytes80ToBF[i] == code_point) return static_cast<int>(0x80 + i);
  }
  return -1;
}

// A string literal as a template argument: its bytes, the closing NUL included.
template <std::size_t N>
struct Utf8Literal {
  char bytes[N];
  consteval Utf8Literal(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
};

// Windows-1251 text of at most N bytes; ok is false when the UTF-8 was broken or held a
// character that Windows-1251 lacks.
template <std::size_t N>
struct Converted {
  std::array<char, N> bytes{};
  std::size_t size = 0;
  bool ok = true;
};

// Each UTF-8 sequence gives one byte, so the text never grows.
template <std::size_t N>
constexpr Converted<N> Convert(const Utf8Literal<N>& utf8) {
  Converted<N> out;
  for (std::size_t i = 0; i + 1 < N;) {
    const auto lead = static_cast<unsigned char>(utf8.bytes[i]);
    const std::size_t length = lead < 0x80          ? 1
                               : (lead >> 5) == 0x6 ? 2
                               : (lead >> 4) == 0xE ? 3
                                                    : 0;
    if (length == 0 || i + length >= N) return {{}, 0, false};
    char32_t code_point = length == 1 ? lead : length == 2 ? lead & 0x1F : lead & 0x0F;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(utf8.bytes[i + k]);
      if ((next >> 6) != 0x2) return {{}, 0, false};
      code_point = code_point << 6 | (next & 0x3F);
    }
    const int byte = ByteOf(code_point);
    if (byte < 0) return {{}, 0, false};
    out.bytes[out.size++] = static_cast<char>(byte);
    i += length;
  }
  return out;
}

// One converted copy of each literal for the whole program.
template <Utf8Literal utf8>
inline constexpr Converted<sizeof utf8.bytes> kConverted = Convert(utf8);

}  // namespace cp1251

namespace literals {

template <cp1251::Utf8Literal utf8>
consteval std::string_view operator""_cp1251() {
  static_assert(cp1251::kConverted<utf8>.ok,
                "the text holds a character that Windows-1251 lacks, or is not UTF-8");
  return {cp1251::kConverted<utf8>.bytes.data(), cp1251::kConverted<utf8>.size};
}

}  // namespace literals

}  // namespace trubkom::common
