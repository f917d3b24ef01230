#include "catalogue/advertising.h"

#include <gtest/gtest.h>

#include "catalogue/page_file.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

TEST(Advertising, TitleLinkAndBodyComeFromTheCurrentItem) {
  Advertising adv;
  adv.items = {"Shop(htmlcode)<b>Sale</b>(/htmlcode)adv\\shop.html",
               "Other(htmlcode)x(/htmlcode)o"};
  EXPECT_EQ(AdvTitleHtml(adv, "/prog"), "<a href=\"file:///prog/adv/shop.html\">Shop</a>");
  EXPECT_EQ(AdvBodyHtml(adv), "<b>Sale</b>");
  AdvanceTextPosition(adv);
  EXPECT_EQ(AdvTitleHtml(adv, "/prog"), "<a href=\"file:///prog/o\">Other</a>");
  EXPECT_EQ(AdvBodyHtml(adv), "x");
  AdvanceTextPosition(adv);
  EXPECT_EQ(adv.text_position, 0u);
}

TEST(Advertising, MissingItemsAndMarkersGiveEmptyParts) {
  struct Case {
    std::string item, title, body;
  };
  const Case cases[] = {
      {"", "<a href=\"file:///p\"></a>", ""},
      {"Only a title", "<a href=\"file:///p\">Only a title</a>", ""},
      {"T(htmlcode)body without end", "<a href=\"file:///p\">T</a>", ""},
      {"T(/htmlcode)link(htmlcode)",
       "<a href=\"file:///p/link%28htmlcode%29\">T(/htmlcode)link</a>", ""},
  };
  for (const Case& c : cases) {
    Advertising adv;
    adv.items = {c.item};
    EXPECT_EQ(AdvTitleHtml(adv, "/p"), c.title) << c.item;
    EXPECT_EQ(AdvBodyHtml(adv), c.body) << c.item;
  }
  Advertising none;
  EXPECT_EQ(AdvBodyHtml(none), "");
  EXPECT_EQ(PageBannerHtml(none, "/p"), "<img src=\"file:///p\">");
}

TEST(Advertising, BannersAreLinkedWhenTheyNameALinkAndRotate) {
  Advertising adv;
  adv.banner_lines = {"adv\\b1.png%adv\\shop.html", "b2.png", ""};
  EXPECT_EQ(PageBannerHtml(adv, "/prog"),
            "<a href=\"file:///prog/adv/shop.html\"><img src=\"file:///prog/adv/b1.png\"></a>");
  std::vector<std::size_t> positions;
  for (int i = 0; i < 4; ++i) {
    positions.push_back(adv.banner_position);
    AdvanceBannerPosition(adv);
  }
  EXPECT_EQ(positions, (std::vector<std::size_t>{0, 1, 2, 0}));
  adv.banner_position = 1;
  EXPECT_EQ(PageBannerHtml(adv, "/prog"), "<img src=\"file:///prog/b2.png\">");
}

TEST(PageFile, PlaceholdersAreFilledInOrderAndThePageIsShown) {
  testing::TempCatalogue cat;
  cat.WriteBytes("templates/t.html", "<p><!a!> and <!a!></p>\r\n<!b!>\r\nplain\n line\r\n");
  common::StringList lines = ReadTemplate(cat.root(), "t.html");
  ASSERT_EQ(lines.size(), 3u);
  FillTemplate(lines, {{"a", "<!b!>"}, {"b", "B"}});
  EXPECT_EQ(lines, (common::StringList{"<p>B and B</p>", "B", "plain\n line"}));

  testing::FakeBrowser browser;
  std::string path = ShowPage(cat.folders(), lines, browser).value_or("");
  EXPECT_EQ(path, cat.Path("templates/temp.html"));
  EXPECT_EQ(cat.ReadBytes("templates/temp.html"), "<p>B and B</p>\r\nB\r\nplain\n line\r\n");
  EXPECT_EQ(browser.shown, std::vector<std::string>{path});
}

TEST(PageFile, MissingTemplateGivesAnEmptyPageThatIsStillShown) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/index.html", "x");
  testing::FakeBrowser browser;
  common::StringList lines = ReadTemplate(cat.root(), "model_template.html");
  EXPECT_TRUE(lines.empty());
  ASSERT_TRUE(ShowPage(cat.folders(), lines, browser));
  EXPECT_TRUE(cat.Exists("Templates/temp.html"));
  EXPECT_EQ(cat.ReadBytes("Templates/temp.html"), "");
  EXPECT_EQ(browser.shown.size(), 1u);
}

TEST(PageFile, APageThatCannotBeWrittenIsNotShown) {
  struct Case {
    const char* what;
    void (*damage)(testing::TempCatalogue&);
  };
  const Case cases[] = {
      {"no Templates folder", [](testing::TempCatalogue&) {}},
      {"Templates is a file",
       [](testing::TempCatalogue& cat) { cat.WriteBytes("Templates", "x"); }},
      {"temp.html is a folder",
       [](testing::TempCatalogue& cat) { cat.WriteBytes("Templates/temp.html/x", ""); }},
  };
  for (const Case& c : cases) {
    testing::TempCatalogue cat;
    c.damage(cat);
    testing::FakeBrowser browser;
    PageFile page = ShowPage(cat.folders(), {"<p>"}, browser);
    EXPECT_FALSE(page.ok()) << c.what;
    EXPECT_TRUE(browser.shown.empty()) << c.what;
  }
}

}  // namespace
}  // namespace trubkom::catalogue
