#include "catalogue/price_number.h"

#include <gtest/gtest.h>

#include <string>

namespace trubkom::catalogue {
namespace {

// The price reader against numbers written out, not against another reader: each text is read
// as it stands (too short for a word at a time) and followed by eight more bytes (long enough).
TEST(PriceAt, ReadsTheNumberAtAPlace) {
  struct Case {
    std::string text;
    std::size_t at;
    long long expected;
  };
  const Case cases[] = {
      {"1", 0, 1},
      {"0", 0, 0},
      {"1234567", 0, 1234567},
      {"1234567^", 0, 1234567},
      {"12345678", 0, 12345678},  // eight digits: beyond the word's reading
      {"123456789012", 0, 123456789012},
      {"99999999999999999999999", 0, 999'999'999'999'999'999},
      {"0042", 0, 42},
      {"007\r\n", 0, 7},
      {"1500 \xF0.", 0, 1500},  // a Cyrillic letter, a byte above 0x7F, ends it
      {"9\xB9", 0, 9},
      {"1/2345678", 0, 1},  // "/" and ":" stand beside the digits
      {"1:2345678", 0, 1},
      {"/5", 0, 0},
      {":5", 0, 0},
      {"-3", 0, -3},
      {"+15", 0, 15},
      {"--3", 0, 0},
      {"", 0, 0},
      {"^", 0, 0},
      {"abc", 0, 0},
      {" 5", 0, 0},
      {"Nokia 3310^1500 shop", 11, 1500},
      {"Nokia 3310^1500", 11, 1500},
      {"x^1234567", 2, 1234567},
      {std::string("12\0"
                   "34",
                   5),
       0, 12},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(PriceAt(c.text, c.at), c.expected) << c.text;
    std::string longer = c.text + "^^^^^^^^";
    EXPECT_EQ(PriceAt(longer, c.at), c.expected) << c.text << " followed by more";
  }
}

TEST(LinePrice, ReadsTheNumberAfterTheFirstCaret) {
  struct Case {
    const char* line;
    long long expected;
  };
  const Case cases[] = {
      {"Nokia 3310^1000", 1000},
      {"Nokia 3310^0042 р.", 42},
      {"Nokia 3310^-3", -3},
      {"Nokia 3310^12^13", 12},
      {"x^Nokia 3310^70", 0},  // the first "^" decides
      {"Nokia 3310", 0},       // no "^": the whole line, no number
      {"150", 150},            // no "^": the whole line, a number
      {"Nokia 3310^", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(LinePrice(c.line), c.expected) << c.line;
}

}  // namespace
}  // namespace trubkom::catalogue
