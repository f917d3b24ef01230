#include "catalogue/compare_page.h"

#include <gtest/gtest.h>

#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

using testing::W;

// What the page builders are given, for the catalogue of a test.
struct Pages {
  explicit Pages(const testing::TempCatalogue& cat) : data(cat.root()), folders(cat.folders()) {}
  PageContext Context() {
    return {folders, data, index, selection::PropertyVocabulary::Builtin(), adv, browser, random};
  }
  CatalogueData data;
  Folders folders;
  common::LineTable index;
  Advertising adv;
  testing::FakeBrowser browser;
  testing::ScriptedRandom random;
};

TEST(ComparePage, ColumnsAndPicturesInBasketOrder) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/compare_template.html",
                 "<tr><!images!></tr>\r\n<tr><!tables!></tr>\r\n");
  cat.WriteText("Base/nokia_new.xml",
                "<brand><model><Model>3310 Plus</Model><Standart>S</Standart><Sizes>D</Sizes>"
                "<Acc_Type>A</Acc_Type><Form_Fact>F</Form_Fact><Antenna>N</Antenna><SAR>R</SAR>"
                "<Weight>W</Weight><Wait_Time>T1</Wait_Time><Work_Time>T2</Work_Time>"
                "<Disp_Rows>5</Disp_Rows><Progr_Mel>M</Progr_Mel><Properties>1010x</Properties>"
                "<Price>45</Price><Picture>3310.png</Picture></model>"
                "<model><Model>1100</Model><Properties>20</Properties></model></brand>");
  Pages pages(cat);
  PageContext context = pages.Context();
  ASSERT_TRUE(ShowComparePage(context, "Nokia 3310 Plus^Nokia 1100^Lonely^"));

  std::string page = cat.ReadBytes("Templates/temp.html");
  auto picture = [&](const std::string& path, const std::string& entry) {
    return "<td style=\"padding-left:10px\"><img src=\"file://" + cat.root() + path + "\" alt=\"" +
           entry + "\" height=\"200\"></td>\r\n";
  };
  EXPECT_EQ(page.substr(0, page.find("</tr>")),
            "<tr>" + picture("/Pics/Nokia/3310.png", "Nokia 3310 Plus") +
                picture("/Pics/Nokia/", "Nokia 1100") + picture("/Pics/Lonely/", "Lonely"));

  auto value = [](const std::string& v) {
    return "<tr><td class=\"CompareInfo\">" + v + "</td></tr>\r\n";
  };
  const std::string no = W("<tr><td class=\"CompareInfo\">Нет</td></tr>\r\n");
  const std::string yes = W("<tr><td class=\"CompareInfoDark\">Есть</td></tr>\r\n");
  const std::string unknown = "<tr><td class=\"CompareInfoDark\">?</td></tr>\r\n";
  std::string first =
      "<td width=\"20%\" valign=\"top\"><table width=\"100%\" border=\"0\" cellspacing=\"0\">\r\n"
      "<tr><td class=\"CompareInfoBig\">Nokia 3310 Plus</td></tr>\r\n" +
      value("45 $") + value("S") + value("D") + value("W") + value("F") + value("N") + value("R") +
      value("T1") + value("T2") + value("A") + unknown + unknown + unknown + unknown + yes + no +
      no + unknown + unknown + unknown + value("M") + unknown + value(W("Цветной")) + value("5");
  for (int i = 0; i < 14; ++i) first += unknown;
  first += "</table></td>\r\n";
  EXPECT_NE(page.find(first), std::string::npos);
  // A flag 0 that is neither "0" nor "1" leaves the display row out; no price leaves it empty.
  std::size_t second = page.find("Nokia 1100</td></tr>\r\n");
  ASSERT_NE(second, std::string::npos);
  const std::string empty_price = "<tr><td class=\"CompareInfo\"></td></tr>\r\n";
  EXPECT_EQ(page.substr(second + 22, empty_price.size()), empty_price);
  EXPECT_EQ(page.find(W("Монохромный")), std::string::npos);
  EXPECT_NE(page.find("<tr><td class=\"CompareInfoBig\">Lonely</td></tr>"), std::string::npos);
}

// A template with the titles' place gets the marks, the switch and both of its page files; text
// from the brand files is escaped there.
TEST(ComparePage, MarksAndOnlyDifferences) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/compare_template.html",
                 "<!compare_switch!>\r\n<!labels!><!tables!>\r\n");
  cat.WriteText("Base/nokia_new.xml",
                "<brand><model><Model>A</Model><Weight>95 g</Weight><Standart>&lt;b&gt;</Standart>"
                "<Price>45</Price></model><model><Model>B</Model><Weight>95 g</Weight>"
                "<Price>50</Price></model></brand>");
  Pages pages(cat);
  PageContext context = pages.Context();
  ASSERT_TRUE(ShowComparePage(context, "Nokia A^Nokia B^", true));
  std::string shown = cat.ReadBytes("Templates/temp.html");
  EXPECT_EQ(shown, cat.ReadBytes("Templates/compare_differences.html"));
  EXPECT_NE(shown.find("action=\"./compare_all.html\""), std::string::npos);
  EXPECT_NE(shown.find("<td class=\"CompareInfo CompareBest\">45 $</td>"), std::string::npos);
  EXPECT_NE(shown.find("&lt;b&gt;"), std::string::npos);
  EXPECT_EQ(shown.find("95 g"), std::string::npos);  // the same weight is left out
  std::string all = cat.ReadBytes("Templates/compare_all.html");
  EXPECT_NE(all.find("<tr class=\"CompareSame\"><td class=\"CompareInfo\">95 g</td>"),
            std::string::npos);
  // One model agrees with itself in every row: its name still heads its column.
  ASSERT_TRUE(ShowComparePage(context, "Nokia A^", true));
  shown = cat.ReadBytes("Templates/temp.html");
  EXPECT_NE(shown.find(">Nokia A</td>"), std::string::npos) << shown;
  EXPECT_EQ(shown.find("95 g"), std::string::npos);
}

// A template without the titles' place, as a publisher's catalogue may have: the page it always
// had while the switch is off; with it on, the program's own labelled layout in the catalogue's
// style, with the marks and the shops' average in roubles beside the price in dollars.
TEST(ComparePage, OnlyDifferencesOnATemplateWithoutLabels) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/compare_template.html",
                 "<html><head><link rel=\"stylesheet\" href=\"own.css\"></head>\r\n"
                 "<body class=\"x\"><table><tr><!images!></tr><tr><!tables!></tr></table>\r\n"
                 "</body></html>\r\n");
  cat.WriteText("Base/nokia_new.xml",
                "<brand><model><Model>A</Model><Weight>95 g</Weight><Price>45</Price></model>"
                "<model><Model>B</Model><Weight>95 g</Weight><Price>50</Price></model></brand>");
  cat.WriteBytes("adv/prices/shop.prc",
                 "Shop\r\nshop.html\r\nNokia A^1000\r\nNokia A^1400\r\nNokia B^1500\r\n");
  Pages pages(cat);
  PageContext context = pages.Context();
  struct Case {
    bool only_differences;
    std::vector<std::string> holds, lacks;
  };
  const Case cases[] = {
      {false,
       {"<body class=\"x\"><table><tr><td style", "45 $"},
       {"CompareBest", W("Средняя цена")}},
      {true,
       {"<link rel=\"stylesheet\" href=\"own.css\">", "<body class=\"x\">",
        "action=\"./compare_all.html\"", W("<td>Средняя цена</td>"),
        W("<td class=\"CompareInfo CompareBest\">1200 р. (от 1000 до 1400, в 2 магазинах)</td>"),
        W("<td class=\"CompareInfo\">1500 р. (1500, в 1 магазине)</td>"),
        "<td class=\"CompareInfo CompareBest\">45 $</td>"},
       {"95 g", "<!"}},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(ShowComparePage(context, "Nokia A^Nokia B^", c.only_differences));
    const std::string page = cat.ReadBytes("Templates/temp.html");
    for (const std::string& text : c.holds) EXPECT_NE(page.find(text), std::string::npos) << text;
    for (const std::string& text : c.lacks) EXPECT_EQ(page.find(text), std::string::npos) << text;
  }
  // The switch of the labelled page goes back to the page the template has always given.
  std::string all = cat.ReadBytes("Templates/compare_all.html");
  ASSERT_TRUE(ShowComparePage(context, "Nokia A^Nokia B^", false));
  EXPECT_EQ(all, cat.ReadBytes("Templates/temp.html"));
}

}  // namespace
}  // namespace trubkom::catalogue
