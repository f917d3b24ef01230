#include "catalogue/catalogue_data.h"

#include <gtest/gtest.h>

#include "catalogue/xml_text.h"
#include "common/string_ops.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

constexpr const char* kNokia = R"(<?xml version="1.0" encoding="windows-1251"?>
<brand name="Nokia">
  <model><Model>3310</Model><Standart>GSM 900/1800</Standart><Sizes>113x48x22 мм</Sizes>
    <Properties>000000101110000000001000000</Properties><Price>45</Price><Picture>3310.png</Picture>
    <Unknown>ignored</Unknown></model>
  <model><Model>6230 &amp; Co &lt;i&gt;</Model><Acc_Type>Li-Ion &#1052;</Acc_Type></model>
</brand>
)";

class CatalogueDataTest : public ::testing::Test {
 protected:
  void SetUp() override { cat.WriteText("Base/nokia_new.xml", kNokia); }
  testing::TempCatalogue cat;
  CatalogueData data{cat.root()};
};

TEST_F(CatalogueDataTest, ListsModelsAndRecordsInFileOrder) {
  EXPECT_EQ(data.Col2Str2("Nokia"), "3310^6230 & Co <i>^");
  std::string record = data.GetProps2("Nokia", "3310");
  common::StringList fields = common::SplitCarets(record);
  ASSERT_EQ(fields.size(), 17u);
  EXPECT_EQ(fields[0], "3310");
  EXPECT_EQ(fields[2], W("113x48x22 мм"));
  EXPECT_EQ(fields[3], "");
  EXPECT_EQ(fields[14], "000000101110000000001000000");
  EXPECT_EQ(fields[15], "45");
  EXPECT_EQ(fields[16], "3310.png");
  EXPECT_EQ(common::At(fields, 17), "");
}

// "^" separates names and fields in the answers, so one inside a field reads as a blank; a
// library name ending in the list's mark " *" is found as it stands.
TEST_F(CatalogueDataTest, EveryListedNameHasItsRecord) {
  cat.WriteText("Base/lg_new.xml",
                "<brand><model><Model>G^1</Model><Standart>GSM^900</Standart><Price>7</Price>"
                "</model></brand>");
  EXPECT_EQ(data.Col2Str2("LG"), "G 1^");
  common::StringList fields = common::SplitCarets(data.GetProps2("LG", "G 1"));
  ASSERT_EQ(fields.size(), 17u);
  EXPECT_EQ(fields[1], "GSM 900");
  EXPECT_EQ(fields[15], "7");
  cat.WriteText("Base/lg_new.xml",
                "<brand><model><Model>G *</Model><Price>8</Price></model></brand>");
  EXPECT_EQ(common::At(common::SplitCarets(data.GetProps2("LG", "G *")), 15), "8");
}

TEST_F(CatalogueDataTest, EntitiesAreResolvedToWindows1251) {
  common::StringList fields = common::SplitCarets(data.GetProps2("Nokia", "6230 & Co <i>"));
  EXPECT_EQ(fields[0], "6230 & Co <i>");
  EXPECT_EQ(fields[3], W("Li-Ion М"));
}

// The texts of either encoding, with every kind of reference, come out in Windows-1251.
TEST(Cp1251TextOf, ReplacesReferencesInEitherEncoding) {
  struct Case {
    std::string raw;
    bool utf8;
    std::string text;
  } cases[] = {
      {W("Li-Ion М"), false, W("Li-Ion М")},
      {"Li-Ion М", true, W("Li-Ion М")},
      {"&#x41C;&#1052;&amp;&lt;&gt;&quot;&apos;", false, W("ММ&<>\"'")},
      {"&#x41C; и &#8470;", true, W("М и №")},
      {"&nbsp;&#;&#x;&#12a; & &amp", false, "&nbsp;&#;&#x;&#12a; & &amp"},
      {"&#x4E2D;", false, "?"},  // a character Windows-1251 lacks
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp1251TextOf(c.raw, c.utf8), c.text) << c.raw;
  }
}

TEST_F(CatalogueDataTest, NamesAreFoundWithLettersFoldedAndMarksDropped) {
  cat.WriteText("Base/sonyericsson_new.xml", "<brand><model><Model>K750i</Model></model></brand>");
  cat.WriteText("Base/mts_new.xml", "<brand><model><Model>M1</Model></model></brand>");
  struct Case {
    std::string brand, model;
    bool found;
  };
  const Case cases[] = {
      {"NOKIA", "3310", true},         {"nokia", "3310 *", true}, {"Sony-Ericsson", "k750I", true},
      {"Sonyericsson", "K750i", true}, {"MTC", "M1", true},       {"Nokia", "3310i", false},
      {"Siemens", "3310", false},      {"", "", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(!data.GetProps2(c.brand, c.model).empty(), c.found) << c.brand << " " << c.model;
  }
}

TEST_F(CatalogueDataTest, IndexSpellingsFindTheLibraryRecord) {
  cat.WriteText("Base/alcatel_new.xml", "<brand><model><Model>ot 535</Model></model></brand>");
  cat.WriteText("Base/samsung_new.xml", "<brand><model><Model>sgh E250</Model></model></brand>");
  EXPECT_FALSE(data.GetProps2("Alcatel", "OneTouch 535 *").empty());
  EXPECT_FALSE(data.GetProps2("Samsung", "SGH-E250 *").empty());
}

TEST_F(CatalogueDataTest, BrokenBrandFileGivesNothingAndTheRestWorks) {
  cat.WriteText("Base/lg_new.xml", "<brand><model><Model>KG800</Model></model>");  // no end
  cat.WriteBytes("Base/utf_new.xml",
                 "<?xml version=\"1.0\"?><brand><model><Model>\xD0\x96</Model></model></brand>");
  EXPECT_EQ(data.Col2Str2("LG"), "");
  EXPECT_EQ(data.GetProps2("LG", "KG800"), "");
  EXPECT_EQ(data.Col2Str2("Nokia"), "3310^6230 & Co <i>^");
  EXPECT_EQ(data.Col2Str2("Utf"), W("Ж") + "^");
}

// Where a brand file breaks is counted in the file's own bytes, whatever its encoding.
TEST_F(CatalogueDataTest, ABrokenBrandFileIsWarnedOfWithTheByteWhereItBroke) {
  struct Case {
    const char* bytes;
    const char* warning;
  } cases[] = {
      {"<brand><model><Model>KG800</Model></model>", "(байт 41: Start-end tags mismatch)"},
      {"<?xml version=\"1.0\" encoding=\"windows-1251\"?><brand><Model>\xC6\xC6</Mod></brand>",
       "(байт 63: Start-end tags mismatch)"},
      {"<?xml version=\"1.0\"?><brand><Model>\xD0\x96\xD0\x96</Mod></brand>",
       "(байт 41: Start-end tags mismatch)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    cat.WriteBytes("Base/lg_new.xml", c.bytes);
    testing::RecordedWarnings warnings;
    CatalogueData fresh{cat.root()};
    EXPECT_EQ(fresh.Col2Str2("LG"), "");
    ASSERT_EQ(warnings.texts.size(), 1u);
    EXPECT_TRUE(
        common::Contains(warnings.texts[0], "lg_new.xml: это не XML " + std::string(c.warning)))
        << warnings.texts[0];
  }
}

TEST_F(CatalogueDataTest, AChangedFileIsReadAgain) {
  EXPECT_EQ(data.Col2Str2("Nokia"), "3310^6230 & Co <i>^");
  cat.WriteText(
      "Base/nokia_new.xml",
      "<brand><model><Model>1100</Model></model><model><Model>1110</Model></model></brand>");
  EXPECT_EQ(data.Col2Str2("Nokia"), "1100^1110^");
}

}  // namespace
}  // namespace trubkom::catalogue
