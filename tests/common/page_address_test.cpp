#include "common/page_address.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

namespace fs = std::filesystem;

// The bytes outside printable ASCII percent-encoded, as the engine writes an address.
std::string Encoded(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string result;
  for (unsigned char c : text) {
    if (c > 0x20 && c < 0x7f) {
      result += char(c);
    } else {
      result += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return result;
}

TEST(PageAddress, ShowsOnlyRegularFilesOfTheFoldersAndGivesOnlyWebAndMailToTheDesktop) {
  testing::TempCatalogue dir;
  const std::string root = dir.root();
  const std::string cat = root + "/Каталог";  // the working folder
  dir.WriteBytes("Каталог/Templates/temp.html", "page");
  dir.WriteBytes("Каталог/Base/base.tkm", "data");
  dir.WriteBytes("Program/adv.html", "advertising");
  dir.WriteBytes("outside/secret.html", "secret");
  dir.WriteBytes("Каталог2/secret.html", "secret");  // a sibling whose name begins as the folder's
  fs::create_directory_symlink(root + "/outside", cat + "/Templates/Out");
  fs::create_directory_symlink("../Base", cat + "/Templates/Same");
  fs::create_symlink("/dev/null", cat + "/Templates/Null");
  fs::create_directory_symlink(root + "/Program", root + "/ProgramLink");
  ASSERT_EQ(::mkfifo((cat + "/Templates/fifo").c_str(), 0600), 0);
  // The program's folder is given through a link: it stands for the folder it leads to.
  const std::vector<std::string> folders = {cat, root + "/ProgramLink"};

  using enum AddressUse;
  struct Case {
    std::string address;
    AddressUse use;
  };
  const Case cases[] = {
      {"file://" + cat + "/Templates/temp.html", kShow},
      {"file://" + cat + "/Templates/temp.html?shown=2#top", kShow},
      {"file://" + Encoded(cat) + "/Templates/temp.html", kShow},
      {"FILE://" + cat + "/Templates/%74emp.html", kShow},
      {"file://" + cat + "/Templates/../Base/base.tkm", kShow},  // ".." that stays inside
      {"file://" + cat + "/Templates/Same/base.tkm", kShow},     // a link that stays inside
      {"file://" + cat + "/Templates/Out/../temp.html", kShow},  // ".." goes first, as loaded
      {"file://" + root + "/Program/adv.html", kShow},
      {"file://localhost" + cat + "/Templates/temp.html", kRefuse},
      {"file://127.0.0.1" + cat + "/Templates/temp.html", kRefuse},
      {"file:" + cat + "/Templates/temp.html", kRefuse},
      {"file://" + cat + "/../outside/secret.html", kRefuse},
      {"file://" + cat + "2/secret.html", kRefuse},
      {"file://" + cat + "/Templates/%2e%2E/%2E%2e/outside/secret.html", kRefuse},
      {"file://" + cat + "/Templates/Out/secret.html", kRefuse},  // through a link out
      {"file://" + cat + "/Templates/", kRefuse},
      {"file://" + cat, kRefuse},
      {"file://" + cat + "/Templates/Null", kRefuse},
      {"file://" + cat + "/Templates/fifo", kRefuse},
      {"file://" + cat + "/Templates/missing.html", kRefuse},
      {"file://" + cat + "/Templates%2Ftemp.html", kRefuse},
      {"file://" + cat + "/Templates/temp.html%00.png", kRefuse},
      {"file://" + cat + "/Templates/temp.html%0", kRefuse},
      {"file://" + cat + "/Templates\\temp.html", kRefuse},
      {"file://" + cat + "/Templates/temp.html\n", kRefuse},
      {"file:///etc/passwd", kRefuse},
      {"file:///etc/", kRefuse},
      {"file:///dev/zero", kRefuse},
      {cat + "/Templates/temp.html", kRefuse},
      {"http://127.0.0.1:8000/?d=x", kDesktop},
      {"HTTPS://trubkom.example/", kDesktop},
      {"mailto:prices@trubkom.example", kDesktop},
      {"smb://server/share", kRefuse},
      {"ms-settings:", kRefuse},
      {"javascript:history.back()", kRefuse},
      {"ftp://trubkom.example/", kRefuse},
      {"qrc:/MAINICON", kRefuse},
      {"blob:file:///x", kRefuse},
      {"about:blank", kShow},
      {"about:srcdoc", kShow},
      {"about:settings", kRefuse},
      {"data:text/html,page", kShow},
      {"", kRefuse},
  };
  for (const Case& c : cases) EXPECT_EQ(UseOfAddress(c.address, folders), c.use) << c.address;
}

// A mail address reaches the desktop with its recipients, subject, body and cc alone, without
// line breaks; a web address as it stands.
TEST(DesktopAddress, MailKeepsItsRecipientsSubjectBodyAndCcOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"https://trubkom.example/?attach=/etc/passwd",
       "https://trubkom.example/?attach=/etc/passwd"},
      {"mailto:prices@trubkom.example", "mailto:prices@trubkom.example"},
      {"mailto:a@x.example?subject=Hi&body=Text&cc=b@x.example",
       "mailto:a@x.example?subject=Hi&body=Text&cc=b@x.example"},
      {"mailto:a@x.example?attach=/home/user/.ssh/id_rsa&subject=Hi",
       "mailto:a@x.example?subject=Hi"},
      {"MAILTO:a@x.example?Attachment=x&BODY=b", "MAILTO:a@x.example?BODY=b"},
      {"mailto:a@x.example?subject=Hi%0D%0ABcc:%20c@x.example",
       "mailto:a@x.example?subject=HiBcc:%20c@x.example"},
      {"mailto:a@x.example%0a?bcc=c@x.example&body=1%0d2", "mailto:a@x.example?body=12"},
  };
  for (const auto& [given, expected] : cases) EXPECT_EQ(DesktopAddress(given), expected) << given;
}

}  // namespace
}  // namespace trubkom::common
