#include "common/encoding.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace trubkom::common
