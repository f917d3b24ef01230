#include "catalogue/config_file.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

struct ConfigCase {
  const char* name;
  common::StringList lines;
  common::StringList items;
  common::StringList banners;
};

TEST(ConfigFile, LineKinds) {
  const ConfigCase cases[] = {
      {"item over several lines",
       {"[adv_text]", "{a}", "x", "y", "{/a}", "[/adv_text]"},
       {"xy"},
       {}},
      {"empty item", {"[adv_text]", "{a}", "{/a}"}, {""}, {}},
      {"section end inside an item is content",
       {"[adv_text]", "{a}", "[/adv_text]", "z", "{/a} trailing", "{b}", "w", "{/b}",
        "[/adv_text]"},
       {"[/adv_text]z", "w"},
       {}},
      {"lines outside items are ignored",
       {"[adv_text]", "noise", "{/x}", "{a}", "v", "{/a}"},
       {"v"},
       {}},
      {"banner lines keep empty ones",
       {"[adv_pagebanner]", "a.png", "", "b.png%c.html", "[/adv_pagebanner]"},
       {},
       {"a.png", "", "b.png%c.html"}},
      {"marker after a leading blank opens nothing", {" [adv_text]", "{a}", "x", "{/a}"}, {}, {}},
      {"markers are case-sensitive", {"[ADV_TEXT]", "{a}", "x", "{/a}"}, {}, {}},
      {"missing item end keeps the item", {"[adv_text]", "{a}", "x", "y"}, {"xy"}, {}},
      {"missing section end keeps the lines",
       {"[adv_pagebanner]", "a.png", "b.png"},
       {},
       {"a.png", "b.png"}},
      {"both sections",
       {"; comment", "[adv_text]", "{1}", "t(htmlcode)b(/htmlcode)l", "{/1}", "[/adv_text]",
        "[adv_pagebanner]", "p.png", "[/adv_pagebanner]", "[adv_text]", "{2}", "u", "{/2}"},
       {"t(htmlcode)b(/htmlcode)l", "u"},
       {"p.png"}},
  };
  for (const ConfigCase& c : cases) {
    common::StringList items, banners;
    ParseConfig(c.lines, items, banners);
    EXPECT_EQ(items, c.items) << c.name;
    EXPECT_EQ(banners, c.banners) << c.name;
  }
}

TEST(ConfigFile, ReadingResetsPositionsAndAMissingFileChangesNothing) {
  testing::TempCatalogue program;
  Advertising adv;
  adv.items = {"kept"};
  adv.text_position = 1;
  EXPECT_FALSE(ReadConfigFile(program.root(), adv));
  EXPECT_EQ(adv.items, common::StringList{"kept"});
  EXPECT_EQ(adv.text_position, 1u);

  program.WriteBytes("Config.TKM", "[adv_text]\n{a}\r\nx\r\n{/a}\n[/adv_text]\n");
  adv = {};
  adv.banner_position = 3;
  EXPECT_TRUE(ReadConfigFile(program.root(), adv));
  EXPECT_EQ(adv.items, common::StringList{"x"});
  EXPECT_EQ(adv.banner_position, 0u);
}

}  // namespace
}  // namespace trubkom::catalogue
