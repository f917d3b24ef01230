#include "catalogue/home_page.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

TEST(HomePageTarget, AddressesAsWrittenPathsResolvedInTheWorkingFolder) {
  testing::TempCatalogue cat;
  cat.WriteText("Docs/Start.html", "<html></html>");
  const std::string& root = cat.root();
  struct Case {
    const char* line;
    std::string target;
  } cases[] = {
      {"https://trubkom.example/", "https://trubkom.example/"},
      {"  http://x.example/a b  ", "http://x.example/a b"},
      {"mailto:prices@trubkom.example", "mailto:prices@trubkom.example"},
      {"docs\\start.html", root + "/Docs/Start.html"},  // letter case and '\' as on disk
      {".\\Docs/Start.html", root + "/Docs/Start.html"},
      {"missing\\page.html", root + "/missing/page.html"},
      {"/usr/share/doc/index.html", "/usr/share/doc/index.html"},
      {"C:\\page.html", root + "/C:/page.html"},  // a drive is no scheme
      {"", ""},
      {"   ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(HomePageTarget(root, c.line), c.target) << c.line;
}

TEST(ReadHomePage, FirstLineOfTemplatesHp) {
  testing::TempCatalogue cat;
  EXPECT_EQ(ReadHomePage(cat.root()), "");
  cat.WriteText("templates/HP", "start.html\r\nsecond\r\n");
  EXPECT_EQ(ReadHomePage(cat.root()), cat.root() + "/start.html");
}

}  // namespace
}  // namespace trubkom::catalogue
