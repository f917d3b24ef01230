#include "catalogue/home_page.h"

#include <gtest/gtest.h>

#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

TEST(HomePageTarget, AddressesAsWrittenPathsResolvedInTheWorkingFolder) {
  testing::TempCatalogue cat;
  cat.WriteText("Docs/Start.html", "<html></html>");
  const std::string root = cat.root();
  const std::string url = "file://" + root;
  struct Case {
    const char* line;
    std::string target;
  } cases[] = {
      {"https://trubkom.example/", "https://trubkom.example/"},
      {"  http://x.example/a b  ", "http://x.example/a b"},
      {"mailto:prices@trubkom.example", "mailto:prices@trubkom.example"},
      {"docs\\start.html", url + "/Docs/Start.html"},  // letter case and '\' as on disk
      {".\\Docs/Start.html", url + "/Docs/Start.html"},
      {"missing\\page.html", url + "/missing/page.html"},
      {"/usr/share/doc/index.html", "file:///usr/share/doc/index.html"},
      {"/usr/my doc.html", "file:///usr/my%20doc.html"},
      {"C:\\page.html", url + "/C%3A/page.html"},  // a drive is no scheme
      {"", ""},
      {"   ", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(HomePageTarget(root, c.line), c.target) << c.line;
}

TEST(ReadHomePage, FirstLineOfTemplatesHp) {
  testing::TempCatalogue cat;
  EXPECT_EQ(ReadHomePage(cat.root()), "");
  cat.WriteText("templates/HP", "start.html\r\nsecond\r\n");
  EXPECT_EQ(ReadHomePage(cat.root()), "file://" + cat.root() + "/start.html");
}

}  // namespace
}  // namespace trubkom::catalogue
