#include "catalogue/private_pages.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "catalogue/page_file.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

namespace fs = std::filesystem;

// A catalogue the user cannot write shows its pages from a private folder: they reach the
// catalogue's style sheet and pictures by the same relative addresses, the catalogue stays
// untouched, and the folder follows what Templates holds at each start.
TEST(PrivatePagesFolder, MirrorsTemplatesAndTakesThePages) {
  testing::TempCatalogue cat;
  cat.WriteBytes("Templates/style.css", "body {}");
  cat.WriteBytes("Templates/img/logo.gif", "GIF");
  const std::string root = cat.Path("cache/pages");
  common::Result<std::string> pages = PrivatePagesFolder(cat.root(), root);
  ASSERT_TRUE(pages) << pages.error().message;
  EXPECT_EQ(cat.ReadBytes(pages->substr(cat.root().size() + 1) + "/style.css"), "body {}");
  EXPECT_EQ(cat.ReadBytes(pages->substr(cat.root().size() + 1) + "/img/logo.gif"), "GIF");
  struct stat info;
  ASSERT_EQ(::stat(pages->c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  Folders folders = cat.folders();
  folders.pages = *pages;
  testing::FakeBrowser browser;
  ASSERT_TRUE(ShowPage(folders, {"<p>"}, browser));
  EXPECT_EQ(browser.shown.back(), *pages + "/temp.html");
  EXPECT_FALSE(fs::exists(cat.Path("Templates/temp.html")));

  // The next start: a file new in Templates is reached, one gone is no longer linked, and the
  // page written before stays until the next replaces it.
  cat.WriteBytes("Templates/new.css", "p {}");
  fs::remove(cat.Path("Templates/style.css"));
  ASSERT_TRUE(PrivatePagesFolder(cat.root(), root));
  EXPECT_TRUE(fs::exists(*pages + "/new.css"));
  EXPECT_FALSE(fs::exists(fs::symlink_status(*pages + "/style.css")));
  EXPECT_TRUE(fs::exists(*pages + "/temp.html"));
}

}  // namespace
}  // namespace trubkom::catalogue
