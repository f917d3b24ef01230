#include <gtest/gtest.h>

#include <random>

#include "common/substring_search.h"
#include "common/text_set.h"

namespace trubkom::common {
namespace {

// Every occurrence, wherever it stands relative to the sixteen-byte screens, as plain find
// gives it; needles of one byte and longer than the text included.
TEST(SubstringSearch, FindsWhatFindFinds) {
  std::mt19937 random(77);
  for (int round = 0; round < 2000; ++round) {
    std::string text, needle;
    for (int n = static_cast<int>(random() % 80); n > 0; --n) text += "ab^\r"[random() % 4];
    for (int n = static_cast<int>(random() % 6); n > 0; --n) needle += "ab^"[random() % 3];
    SubstringSearch search(needle);
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      std::size_t expected = from > text.size() ? std::string::npos : text.find(needle, from);
      ASSERT_EQ(search.Find(text, from), expected) << text << " / " << needle << " / " << from;
    }
  }
}

// Short names are hashed from their first and last words: every length class, and texts that
// differ in a byte those words share or in the middle of a long text.
TEST(TextSet, FindsEachKeyAndNothingElse) {
  std::vector<std::string> storage = {"",
                                      "a",
                                      "n1000",
                                      "n1000i",
                                      "12345678",
                                      "123456789",
                                      "1234567890123456",
                                      "12345678901234567",
                                      "x y z"};
  TextSet index;
  for (const std::string& key : storage) index.Add(key);
  for (std::size_t i = 0; i < storage.size(); ++i) EXPECT_EQ(index.Find(storage[i]), i);
  for (const char* other :
       {"b", "n100", "n1000 ", "12345679", "1234567890123457", "12345678901234568", "a "}) {
    EXPECT_EQ(index.Find(other), TextSet::kAbsent) << other;
  }
}

// Numbers in the order texts were first added, through many growths of the table; a repeat
// keeps its number; texts one byte apart, and the empty text, are told apart.
TEST(TextSet, NumbersEachTextOnceInTheOrderItCame) {
  TextSet set;
  EXPECT_EQ(set.Find(""), TextSet::kAbsent);
  std::vector<std::string> texts = {"", "a", "A", "a ", "n1000", "n1000i"};
  for (int i = 0; i < 5000; ++i) texts.push_back("Brand" + std::to_string(i));
  // Asking ahead is a hint that changes nothing: on an empty table, for more texts than it
  // takes at once, for texts it has and has not.
  const std::vector<std::string_view> views(texts.begin(), texts.end());
  set.Prefetch(views.data(), views.size());
  for (std::size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(set.Add(texts[i]), i) << texts[i];
  set.Prefetch(views.data(), views.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    ASSERT_EQ(set.Add(std::string(texts[i])), i);
    ASSERT_EQ(set.Find(texts[i]), i);
  }
  EXPECT_EQ(set.size(), texts.size());
  for (const char* other : {"b", "a  ", "n100", "Brand5000", "brand1"}) {
    EXPECT_FALSE(set.Contains(other)) << other;
  }
}

}  // namespace
}  // namespace trubkom::common
