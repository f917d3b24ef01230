// Every address in every page names an existing file, wherever a Russian desktop keeps the
// catalogue and the program: folders with Cyrillic letters, blanks and URL syntax characters.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "catalogue/compare_page.h"
#include "catalogue/config_file.h"
#include "catalogue/model_page.h"
#include "catalogue/page_file.h"
#include "common/ascii.h"
#include "common/encoding.h"
#include "common/folder_copy.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "selection/model_index.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"

namespace trubkom::catalogue {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecoded(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      bytes += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      bytes += text[i];
    }
  }
  return bytes;
}

// "/a/./b/../c" as "/a/c".
std::string Normalized(const std::string& path) {
  std::vector<std::string> parts;
  for (const std::string& part : common::SplitByChar(path, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  std::string result;
  for (const std::string& part : parts) result += "/" + part;
  return result;
}

// The file a browser asks for when a Windows-1251 page at page_path names address: the text is
// read as Windows-1251 letters, whose URL bytes are their UTF-8 spelling, query and fragment
// cut off, relative addresses resolved against the page's folder, %XX undone. Empty for an
// address with another scheme (https:, mailto:, javascript:).
std::string FileAskedFor(const std::string& page_path, const std::string& address) {
  std::string url = common::Utf8FromCp1251(address);
  url = url.substr(0, url.find_first_of("?#"));
  if (url.starts_with("file://")) return PercentDecoded(url.substr(7));
  std::size_t colon = url.find(':');
  if (colon != std::string::npos && colon < url.find('/')) return {};
  if (url.starts_with('/')) return PercentDecoded(url);
  return Normalized(page_path.substr(0, page_path.rfind('/') + 1) + PercentDecoded(url));
}

// The addresses of a page's src and href attributes (written name="value", any letter case).
std::vector<std::string> Addresses(const std::string& page) {
  const std::string lowered = common::AsciiLowered(page);
  std::vector<std::string> addresses;
  for (std::string_view name : {"src", "href"}) {
    for (std::size_t at = lowered.find(name); at != std::string::npos;
         at = lowered.find(name, at + 1)) {
      std::size_t value = lowered.find_first_not_of(" \t\r\n", at + name.size());
      if (value == std::string::npos || lowered[value] != '=') continue;
      value = lowered.find_first_not_of(" \t\r\n", value + 1);
      if (value == std::string::npos || page[value] != '"') continue;
      std::size_t end = page.find('"', value + 1);
      if (end != std::string::npos) addresses.push_back(page.substr(value + 1, end - value - 1));
    }
  }
  return addresses;
}

// Checks the page and, in turn, every page it links to: each file it names must exist.
// Returns the files named.
std::set<std::string> CheckAddresses(const std::string& page_path) {
  std::set<std::string> named, visited;
  std::function<void(const std::string&)> visit = [&](const std::string& path) {
    if (!visited.insert(path).second) return;
    auto page = common::ReadFile(path);
    ASSERT_TRUE(page) << path;
    for (const std::string& address : Addresses(*page)) {
      std::string file = FileAskedFor(path, address);
      if (file.empty()) continue;
      EXPECT_TRUE(common::IsFile(file)) << "in " << path << ": " << address << " asks for " << file;
      named.insert(file);
      if (file.ends_with(".html") && common::IsFile(file)) visit(file);
    }
  };
  visit(page_path);
  return named;
}

// The demo catalogue and program folder, each under a name with Cyrillic letters, blanks and
// the characters that mean something in an address.
class PageAddressesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(common::CopyFolder(testing::DemoFolder() + "/catalogue", folders.working));
    ASSERT_TRUE(common::CopyFolder(testing::DemoFolder() + "/program", folders.program));
    ASSERT_TRUE(ReadConfigFile(folders.program, advertising));
    index = selection::LoadModelIndex(folders.working).value_or(common::LineTable{});
  }

  // The page written, checked; the files it names.
  std::set<std::string> Checked(const PageFile& page) {
    EXPECT_TRUE(page);
    return page ? CheckAddresses(*page) : std::set<std::string>{};
  }

  static bool NamesFileUnder(const std::set<std::string>& files, const std::string& folder) {
    for (const std::string& file : files) {
      if (file.starts_with(folder + "/")) return true;
    }
    return false;
  }

  testing::TempCatalogue root{"Мои документы"};
  Folders folders{root.Path("Каталог телефонов #1 (100%)"), root.Path("Программы/Трубком ?&=")};
  CatalogueData data{folders.working};
  common::LineTable index;
  Advertising advertising;
  testing::FakeBrowser browser;
  testing::ScriptedRandom random;
  PageContext context{folders,     data,    index, selection::PropertyVocabulary::Builtin(),
                      advertising, browser, random};
};

TEST_F(PageAddressesTest, EveryPageNamesExistingFilesOnly) {
  struct Case {
    const char* page;
    std::function<PageFile()> write;
    // Folders of which the page must name a file, so that the check is no empty one.
    std::vector<std::string> named_folders;
  };
  const std::string pictures = common::ResolvePath(folders.working, "Pics");
  const std::string banners = common::ResolvePath(folders.program, "adv");
  const std::string shops = common::ResolvePath(folders.working, "adv/prices/html");
  const std::string templates = common::ResolvePath(folders.working, "Templates");
  const Case cases[] = {
      {"start page",
       [&] { return PageFile(TemplatesPath(folders.working, "index.html")); },
       {templates}},
      {"short model page",
       [&] { return ShowModelPage(context, "Nokia", "1100"); },
       {pictures, banners, shops, templates}},
      {"full model page",
       [&] { return ShowModelPage(context, "Nokia", "1110 *"); },
       {pictures, banners, shops, templates}},
      {"comparison page",
       [&] { return ShowComparePage(context, "Nokia 1100^Nokia 1110^"); },
       {pictures, templates}},
      {"price page",
       [&] {
         (void)ShowModelPage(context, "Nokia", "1100");
         return PageFile(TemplatesPath(folders.working, "price_temp.html"));
       },
       {shops, templates}},
      {"contacts page",
       [&] {
         return PageFile(common::ResolvePath(folders.working, "adv/advertisement/contacts.html"));
       },
       {templates}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    std::set<std::string> named = Checked(c.write());
    for (const std::string& folder : c.named_folders) {
      EXPECT_TRUE(NamesFileUnder(named, folder)) << "no file of " << folder;
    }
  }
}

}  // namespace
}  // namespace trubkom::catalogue
