#include "selection/model_index.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::selection {
namespace {

TEST(ModelIndex, LoadsEveryLineUnchangedWithTheCarriageReturnRule) {
  testing::TempCatalogue cat;
  EXPECT_FALSE(LoadModelIndex(cat.root()).has_value());
  cat.WriteBytes("base/BASE.TKM", "A|1|2(0)\r\nB|2|\n|still B\rC|3| \r\n\r\n");
  auto lines = LoadModelIndex(cat.root());
  ASSERT_TRUE(lines.has_value());
  EXPECT_EQ(lines->ToStringList(), (common::StringList{"A|1|2(0)", "B|2|\n|still B", "C|3| ", ""}));
}

TEST(ModelIndex, BrandAndModelFields) {
  struct Case {
    std::string line, brand, model;
  };
  const Case cases[] = {
      {"Nokia|6230 i|53(35)", "Nokia", "6230 i"},
      {"Nokia|3310", "Nokia", ""},
      {"Nokia", "Nokia", ""},
      {"|x|", "", "x"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IndexBrand(c.line), c.brand) << c.line;
    EXPECT_EQ(IndexModel(c.line), c.model) << c.line;
  }
}

}  // namespace
}  // namespace trubkom::selection
