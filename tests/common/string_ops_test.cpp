#include "common/string_ops.h"

#include <gtest/gtest.h>

#include "common/ascii.h"

namespace trubkom::common {
namespace {

TEST(ReplaceAll, ReplacesEveryOccurrenceWithoutSearchingInsertedText) {
  struct Case {
    std::string text, find, replacement, expected;
  };
  const Case cases[] = {
      {"aaa", "aa", "b", "ba"},
      {"x", "x", "xx", "xx"},
      {"a<!p!>b<!p!>", "<!p!>", "1", "a1b1"},
      {"abc", "", "z", "abc"},
      {"", "a", "b", ""},
      {"Sony-Ericsson K750", "Sony-Ericsson", "Sonyericsson", "Sonyericsson K750"},
      {"ABC", "b", "x", "ABC"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.find, c.replacement), c.expected) << c.text << " / " << c.find;
  }
}

TEST(SplitByChar, EverySeparatorEndsAPieceButATrailingEmptyPieceIsDropped) {
  struct Case {
    std::string text;
    StringList expected;
  };
  const Case cases[] = {
      {"a^^b", {"a", "", "b"}},
      {"a^", {"a"}},
      {"^", {""}},
      {"", {}},
      {"a^b", {"a", "b"}},
      {"^^", {"", ""}},
      {"48(0)^!48(0)^^", {"48(0)", "!48(0)", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitCarets(c.text), c.expected) << c.text;
  EXPECT_EQ(SplitByChar("a;b;", ';'), (StringList{"a", "b"}));
}

TEST(TextToInt, ReadsSignAndLeadingDigits) {
  struct Case {
    std::string text;
    long long expected;
  };
  const Case cases[] = {{"123", 123},
                        {"-5", -5},
                        {"+7", 7},
                        {"12abc", 12},
                        {"abc", 0},
                        {"", 0},
                        {"-", 0},
                        {" 5", 0},
                        {"007", 7},
                        {"1501 р.", 1501},
                        {"--3", 0},
                        {"4-2", 4},
                        {"99999999999999999999999", 999'999'999'999'999'999}};
  for (const Case& c : cases) EXPECT_EQ(TextToInt(c.text), c.expected) << c.text;
}

TEST(At, ReadsEmptyTextPastTheEnd) {
  StringList list{"a"};
  EXPECT_EQ(At(list, 0), "a");
  EXPECT_EQ(At(list, 1), "");
  EXPECT_EQ(At(list, 100), "");
}

TEST(SplitRow, BrandIsTheTextBeforeTheFirstBlank) {
  std::optional<BrandAndModel> row = SplitRow("Nokia 6230 i *");
  ASSERT_TRUE(row);
  EXPECT_EQ(row->brand, "Nokia");
  EXPECT_EQ(row->model, "6230 i *");
  EXPECT_FALSE(SplitRow("Nokia"));
}

TEST(AsciiCase, FoldsOnlyLatinLetters) {
  const std::string cyrillic_a = "\xC0";  // Windows-1251 capital A
  EXPECT_EQ(AsciiLowered("ABC" + cyrillic_a), "abc" + cyrillic_a);
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Nokia 3310", "NOKIA 3310"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC0", "\xE0"));
}

// Lowering many bytes at a time must give the byte-by-byte answer for every byte value, at
// every position of a block and in the bytes left over after the last block.
TEST(AsciiCase, LoweringInPlaceAgreesWithEachByteOnEveryByte) {
  for (std::size_t shift = 0; shift < 17; ++shift) {
    std::string text(shift, 'Q');
    for (int c = 0; c < 256; ++c) text += static_cast<char>(c);
    std::string expected = text;
    for (char& c : expected) c = AsciiLower(c);
    AsciiLowerInPlace(text);
    EXPECT_EQ(text, expected) << shift;
  }
}

TEST(Sorting, ByteOrderAndFoldedOrder) {
  StringList bytes{"Lg", "LG", "lg", "\xC0\xE1", "Nokia", "Alcatel"};
  SortByBytes(bytes);
  EXPECT_EQ(bytes, (StringList{"Alcatel", "LG", "Lg", "Nokia", "lg", "\xC0\xE1"}));

  // Sorted by the bytes after what all begin with, ties and all, and as if a mark followed each:
  // "ab" + " *" comes after "ab\x10" + " *", though "ab" alone comes first.
  StringList models{"Model 10", "Model 9", "Model 100000001", "Model 100000000", "Model ", "Model"};
  SortByBytes(models);
  EXPECT_EQ(models, (StringList{"Model", "Model ", "Model 10", "Model 100000000", "Model 100000001",
                                "Model 9"}));
  std::vector<std::string_view> marked{"ab", "ab\x10", "ab!", "a", "ab *x"};
  SortByBytes(marked, " *");
  EXPECT_EQ(marked, (std::vector<std::string_view>{"a", "ab\x10", "ab", "ab *x", "ab!"}));

  StringList folded{"Nokia 1 *", "alcatel 2 *", "\xC0 3 *", "1 x"};
  SortFolded(folded);
  EXPECT_EQ(folded, (StringList{"1 x", "alcatel 2 *", "Nokia 1 *", "\xC0 3 *"}));
}

}  // namespace
}  // namespace trubkom::common
