#include "common/line_file.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

TEST(Lines, CarriageReturnRuleKeepsLoneLineFeeds) {
  struct Case {
    std::string bytes;
    StringList expected;
  };
  const Case cases[] = {
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb", {"a", "b"}},
      {"a\nb\r\nc", {"a\nb", "c"}},
      {"\r\n\r\n", {"", ""}},
      {"", {}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"x\n", {"x\n"}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLinesAtCr(c.bytes), c.expected);
}

TEST(Lines, AnyEndRuleEndsLinesAtCrLfCrOrLf) {
  struct Case {
    std::string bytes;
    StringList expected;
  };
  const Case cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n\nb\n", {"a", "", "b"}},
      {"\n", {""}},
      {"a\n\r", {"a", ""}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitLinesAtAnyEnd(c.bytes), c.expected);
}

TEST(Lines, WrittenLinesEndWithCrLfAndReplaceTheFile) {
  testing::TempCatalogue dir;
  dir.WriteBytes("page.html", "old contents that are longer");
  ASSERT_TRUE(WriteLinesCrLf(dir.Path("page.html"), {"<html>", "", "</html>"}));
  EXPECT_EQ(dir.ReadBytes("page.html"), "<html>\r\n\r\n</html>\r\n");
  ASSERT_TRUE(WriteLinesCrLf(dir.Path("page.html"), {}));
  EXPECT_EQ(dir.ReadBytes("page.html"), "");
}

TEST(Lines, FailedWriteLeavesNothingBehind) {
  testing::TempCatalogue dir;
  EXPECT_FALSE(WriteLinesCrLf(dir.Path("missing/page.html"), {"x"}));
  EXPECT_FALSE(dir.Exists("missing"));
  EXPECT_FALSE(ReadLinesAtCr(dir.Path("absent.html")).has_value());
}

}  // namespace
}  // namespace trubkom::common
