#include "common/encoding.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <string>

namespace trubkom::common {
namespace {

TEST(Encoding, ConvertsBetweenUtf8AndWindows1251) {
  struct Case {
    std::string utf8, cp1251;
  };
  const Case cases[] = {
      {"", ""},
      {"Nokia 3310", "Nokia 3310"},
      {"Цена", "\xD6\xE5\xED\xE0"},
      {"ёЁ№«»—", "\xB8\xA8\xB9\xAB\xBB\x97"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1251FromUtf8(c.utf8), c.cp1251) << c.utf8;
    EXPECT_EQ(Utf8FromCp1251(c.cp1251), c.utf8) << c.utf8;
  }
}

TEST(Encoding, CharactersWindows1251LacksBecomeQuestionMarks) {
  EXPECT_EQ(Cp1251FromUtf8("a\xE2\x82\xAC"
                           "b"),
            "a\x88"
            "b");  // the euro sign exists
  EXPECT_EQ(Cp1251FromUtf8("a\xE4\xB8\xAD"
                           "b"),
            "a?b");  // a CJK character does not
  EXPECT_EQ(Cp1251FromUtf8("a\xFF"
                           "b"),
            "a?b");                          // nor does a broken byte
  EXPECT_EQ(Cp1251FromUtf8("a\xD0"), "a?");  // nor a cut sequence
}

// UTF-8 of one code point below U+10000.
std::string Utf8Of(char32_t code_point) {
  if (code_point < 0x80) return std::string(1, static_cast<char>(code_point));
  if (code_point < 0x800) {
    return {static_cast<char>(0xC0 | code_point >> 6),
            static_cast<char>(0x80 | (code_point & 0x3F))};
  }
  return {static_cast<char>(0xE0 | code_point >> 12),
          static_cast<char>(0x80 | (code_point >> 6 & 0x3F)),
          static_cast<char>(0x80 | (code_point & 0x3F))};
}

// The system's converter, as a witness the tables share nothing with: the text converted, or
// "?" when it has no form in the target.
std::string Iconv(const std::string& text, const char* to, const char* from) {
  iconv_t cd = ::iconv_open(to, from);
  char out[16];
  char* in_at = const_cast<char*>(text.data());
  char* out_at = out;
  std::size_t in_left = text.size(), out_left = sizeof out;
  std::size_t rc = ::iconv(cd, &in_at, &in_left, &out_at, &out_left);
  ::iconv_close(cd);
  return rc == static_cast<std::size_t>(-1) ? "?" : std::string(out, out_at);
}

// The tables agree with the system's converter on every byte of the code page and on every
// character below U+10000 (a character the code page lacks becomes '?').
TEST(Encoding, AgreesWithTheSystemConverterEverywhere) {
  for (int byte = 0; byte < 256; ++byte) {
    std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8FromCp1251(one), Iconv(one, "UTF-8", "CP1251")) << byte;
  }
  for (char32_t code_point = 0; code_point < 0x10000; ++code_point) {
    if (code_point >= 0xD800 && code_point <= 0xDFFF) continue;  // no characters
    std::string utf8 = Utf8Of(code_point);
    ASSERT_EQ(Cp1251FromUtf8(utf8), Iconv(utf8, "CP1251", "UTF-8"))
        << std::hex << static_cast<std::uint32_t>(code_point);
  }
}

// The compiler's table gives every byte of Windows-1251 exactly as the run-time converter does.
TEST(Cp1251Literal, EveryByteAsTheRunTimeConverterGivesIt) {
  int checked = 0;
  for (char32_t code_point = 1; code_point < 0x2200; ++code_point) {
    int byte = cp1251::ByteOf(code_point);
    std::string at_run_time = Cp1251FromUtf8(Utf8Of(code_point));
    if (byte < 0) {
      EXPECT_EQ(at_run_time, "?") << "U+" << std::hex << static_cast<unsigned>(code_point);
      continue;
    }
    EXPECT_EQ(at_run_time, std::string(1, static_cast<char>(byte)))
        << "U+" << std::hex << static_cast<unsigned>(code_point);
    ++checked;
  }
  EXPECT_EQ(checked, 127 + 127);  // every byte but NUL and 0x98, which stand for no character
}

// The literal converts as the run-time converter does: ASCII, every character of the upper half,
// embedded NUL and the empty text.
TEST(Cp1251Literal, ConvertsAsTheRunTimeConverter) {
  using namespace literals;
#define TRUBKOM_EVERY_CHARACTER                                                                                                                              \
  " !\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz"                                                            \
  "{|}~\t\r\n\x7F"                                                                                                                                           \
  "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї°±Ііґµ¶·ё№є»јЅѕї" \
  "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя"
  constexpr std::string_view every = TRUBKOM_EVERY_CHARACTER ""_cp1251;
  EXPECT_EQ(every, Cp1251FromUtf8(TRUBKOM_EVERY_CHARACTER));
  EXPECT_EQ(every.size(), 95u + 4u + 63u + 64u);
#undef TRUBKOM_EVERY_CHARACTER
  EXPECT_EQ("Все цены ("_cp1251, "\xC2\xF1\xE5 \xF6\xE5\xED\xFB (");
  EXPECT_EQ("a\0б"_cp1251, std::string_view("a\0\xE1", 3));
  EXPECT_EQ(""_cp1251, "");
}

}  // namespace
}  // namespace trubkom::common
