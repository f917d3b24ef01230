#include "catalogue/page_file.h"

#include <gtest/gtest.h>

#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

// A page written after a killed writer: the leftover temporary file goes, the page is whole.
TEST(ShowPage, RemovesTheTemporaryFilesOfKilledWriters) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/temp.html.trubkom-999999999-3.tmp", "<html");
  testing::FakeBrowser browser;
  PageFile page = ShowPage(cat.folders(), {"<html>", "</html>"}, browser);
  EXPECT_TRUE(page.ok());
  EXPECT_EQ(cat.ReadBytes("Templates/temp.html"), "<html>\r\n</html>\r\n");
  EXPECT_FALSE(cat.Exists("Templates/temp.html.trubkom-999999999-3.tmp"));
}

}  // namespace
}  // namespace trubkom::catalogue
