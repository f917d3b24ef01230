#include "selection/model_index.h"

#include <gtest/gtest.h>

#include "selection/indexed_lines.h"
#include "support/core_helpers.h"
#include "support/temp_catalogue.h"

namespace trubkom::selection {
namespace {

TEST(ModelIndex, LoadsEveryLineUnchangedWithTheCarriageReturnRule) {
  testing::TempCatalogue cat;
  EXPECT_EQ(LoadModelIndex(cat.root()).error().code, common::ErrorCode::kMissing);
  cat.WriteBytes("base/BASE.TKM", "A|1|2(0)\r\nB|2|\n|still B\rC|3| \r\n\r\n");
  auto lines = LoadModelIndex(cat.root());
  ASSERT_TRUE(lines.ok());
  EXPECT_EQ(testing::ToStringList(*lines),
            (common::StringList{"A|1|2(0)", "B|2|\n|still B", "C|3| ", ""}));
}

TEST(ModelIndex, BrandAndModelFields) {
  struct Case {
    std::string line, brand, model, head;
  };
  const Case cases[] = {
      {"Nokia|6230 i|53(35)", "Nokia", "6230 i", "Nokia|6230 i|"},
      {"Nokia|3310", "Nokia", "", "Nokia|3310"},
      {"Nokia", "Nokia", "", "Nokia"},
      {"|x|", "", "x", "|x|"},
      {"", "", "", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IndexBrand(c.line), c.brand) << c.line;
    EXPECT_EQ(IndexModel(c.line), c.model) << c.line;
    EXPECT_EQ(IndexHead(c.line), c.head) << c.line;
    EXPECT_EQ(IndexModel(IndexHead(c.line)), c.model) << c.line;
  }
}

// Read a piece at a time, the index gives what reading it whole gives: every line's head, a
// brand's lines, and with them the brands of every line, in the order they first appear.
TEST(ModelIndex, PiecesGiveWhatTheWholeFileGives) {
  testing::TempCatalogue cat;
  std::string bytes = "Nokia|6230|48(1)\r\nnokia|3310\r\n|orphan|\rSony|K750|\r\nLG\r";
  for (int i = 0; i < 70'000; ++i) bytes += "Brand" + std::to_string(i % 7) + "|M|1(2)|\r\n";
  cat.WriteBytes("Base/base.tkm", bytes);
  const common::LineTable whole = *LoadModelIndex(cat.root());
  const common::LineTable heads = *LoadModelIndexHeads(cat.root());
  ASSERT_EQ(heads.size(), whole.size());
  for (std::size_t i = 0; i < whole.size(); ++i) EXPECT_EQ(heads[i], IndexHead(whole[i])) << i;
  IndexBrands every_brand;
  const common::LineTable nokia = *LoadModelIndexOfBrands(cat.root(), {"NOKIA"}, &every_brand);
  EXPECT_EQ(testing::ToStringList(nokia), (common::StringList{"Nokia|6230|48(1)", "nokia|3310"}));
  const IndexBrands expected = BrandsOfIndex(whole);
  EXPECT_EQ(every_brand.any_line, expected.any_line);
  ASSERT_EQ(every_brand.brands.size(), expected.brands.size());
  for (std::size_t i = 0; i < expected.brands.size(); ++i) {
    EXPECT_EQ(every_brand.brands.TextOf(i), expected.brands.TextOf(i)) << i;
  }
}

// The window's index holds each line's head and reads the whole line again from the file, from
// any piece, whatever the pieces' size; a file changed in place since fails to give it.
TEST(ModelIndex, AnIndexOfHeadsReadsEveryWholeLineAgain) {
  testing::TempCatalogue cat;
  const std::string bytes =
      "A|1|2(0)|48(1)\r\n\nB|2|48(0)\rC|3\r\nD\r\n" + std::string(300, 'x') + "|9|48(0)\r|E|\r";
  cat.WriteBytes("Base/base.tkm", bytes);
  const common::LineTable whole = common::LineTable::SplitAtCr(bytes);
  for (std::size_t piece_bytes :
       {std::size_t{1}, std::size_t{7}, std::size_t{64}, common::LinePieces::kPieceBytes}) {
    auto pieces = common::LinePieces::Open(cat.root() + "/Base/base.tkm", piece_bytes);
    ASSERT_TRUE(pieces.ok());
    IndexedLines heads = IndexedLines::ReadHeads(std::move(*pieces), {"48"});
    ASSERT_EQ(heads.lines().size(), whole.size()) << piece_bytes;
    for (std::size_t i = 0; i < whole.size(); ++i) {
      EXPECT_EQ(heads.lines()[i], IndexHead(whole[i])) << piece_bytes << " line " << i;
      EXPECT_EQ(heads.WholeLine(i).value_or("?"), whole[i]) << piece_bytes << " line " << i;
    }
    EXPECT_EQ(heads.PropertyId("2"), -1) << "a property not asked for is not kept";
    EXPECT_NE(heads.PropertyId("48"), -1);
  }
  auto pieces = common::LinePieces::Open(cat.root() + "/Base/base.tkm");
  IndexedLines heads = IndexedLines::ReadHeads(std::move(*pieces), {});
  cat.WriteBytes("Base/base.tkm", "Z|1|2(0)\rB|2|48(0)\r");
  EXPECT_FALSE(heads.WholeLine(0).ok());
}

}  // namespace
}  // namespace trubkom::selection
