#include "update/update_script.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "common/encoding.h"
#include "common/string_ops.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"

namespace trubkom::update {
namespace {

using testing::Tree;
using testing::W;

// The package's working folder and a folder beside the catalogue that no line may reach.
const Tree kPayload = {{"work/a.txt", "A"},          {"work/x.gif", "GIF"},
                       {"work/extra.txt", "C\r\n"},  {"work/x.xml", "NEW"},
                       {"work/base.tkm", "NEWBASE"}, {"work/pics/a.gif", "PIC"},
                       {"outside/secret.txt", "S"}};

// Paths in before and after are inside the catalogue folder; "@" in a status line stands for
// the catalogue folder with its trailing '/', "#" in a line for the test's root folder.
struct ScriptCase {
  const char* what;
  Tree before;
  std::string line;
  Tree after;
  std::vector<std::string> status;
};

const std::vector<ScriptCase> kScriptCases = {
    {"add when the file exists: nothing",
     {{"Base/base.tkm", "OLD"}},
     "ADDFILE base.tkm TO Base\\",
     {{"Base/base.tkm", "OLD"}},
     {}},
    {"add creates the last folder",
     {{"Images/", ""}},
     "ADDFILE x.gif TO Images\\New\\",
     {{"Images/New/x.gif", "GIF"}},
     {"Добавляем x.gif в @Images/New/"}},
    {"add without a trailing backslash",
     {{"Base/", ""}},
     "ADDFILE a.txt TO Base",
     {{"Base/", ""}, {"Basea.txt", "A"}},
     {"Добавляем a.txt в @Base"}},
    {"add to the catalogue folder itself",
     {},
     "ADDFILE a.txt TO ",
     {{"a.txt", "A"}},
     {"Добавляем a.txt в @"}},
    {"add finds folders whatever their case",
     {{"Pics/", ""}},
     "ADDFILE PICS\\a.gif TO pics\\",
     {{"Pics/a.gif", "PIC"}},
     {"Добавляем a.gif в @pics/"}},
    {"append to a missing file: nothing", {}, "ADDTOFILE extra.txt TO list.txt", {}, {}},
    {"append lines",
     {{"list.txt", "A\nB"}},
     "ADDTOFILE extra.txt TO list.txt",
     {{"list.txt", "A\r\nB\r\nC\r\n"}},
     {}},
    {"append a missing source rewrites the line ends only",
     {{"list.txt", "A\nB"}},
     "ADDTOFILE none.txt TO list.txt",
     {{"list.txt", "A\r\nB\r\n"}},
     {}},
    {"replace a missing file: nothing", {}, "REPLACEFILE Base\\x.xml WITH x.xml", {}, {}},
    {"replace",
     {{"Base/x.xml", "OLD"}},
     "REPLACEFILE base\\X.XML WITH x.xml",
     {{"Base/x.xml", "NEW"}},
     {"Заменяем @base/X.XML"}},
    {"replace with a missing source keeps the file and says nothing",
     {{"Base/x.xml", "OLD"}},
     "REPLACEFILE Base\\x.xml WITH none.xml",
     {{"Base/x.xml", "OLD"}},
     {}},
    {"delete a folder: nothing", {{"Base/", ""}}, "DELETEFILE Base", {{"Base/", ""}}, {}},
    {"delete",
     {{"Base/x.xml", "OLD"}},
     "DELETEFILE Base\\x.xml",
     {{"Base/", ""}},
     {"Удаляем @Base/x.xml"}},
    {"lower-case keyword: ignored",
     {{"Base/", ""}},
     "addfile a.txt TO Base\\",
     {{"Base/", ""}},
     {}},
    {"no separator: ignored", {{"Base/", ""}}, "ADDFILE a.txt Base\\", {{"Base/", ""}}, {}},
    {"remark: ignored", {}, "Update of December", {}, {}},
    // Lines that name the update run's own records: refused as lines that lead out.
    {"the index replaced",
     {{"updates/index.cache", "OLD"}},
     "REPLACEFILE updates\\index.cache WITH x.xml",
     {{"updates/index.cache", "OLD"}},
     {"Команда отклонена: REPLACEFILE updates\\index.cache WITH x.xml"}},
    {"a journal added",
     {{"updates/", ""}},
     "ADDFILE a.txt TO UPDATES\\journal\\",
     {{"updates/", ""}},
     {"Команда отклонена: ADDFILE a.txt TO UPDATES\\journal\\"}},
    {"a download in part appended to",
     {{"updates/upd010107.upd.part", "P"}},
     "ADDTOFILE extra.txt TO updates\\upd010107.upd.part",
     {{"updates/upd010107.upd.part", "P"}},
     {"Команда отклонена: ADDTOFILE extra.txt TO updates\\upd010107.upd.part"}},
    {"the lock deleted",
     {{"updates/update.lock", ""}},
     "DELETEFILE updates\\update.lock",
     {{"updates/update.lock", ""}},
     {"Команда отклонена: DELETEFILE updates\\update.lock"}},
    // Lines that try to leave their folders.
    {"target climbs out",
     {},
     "ADDFILE a.txt TO ..\\outside\\",
     {},
     {"Команда отклонена: ADDFILE a.txt TO ..\\outside\\"}},
    {"delete climbs out",
     {},
     "DELETEFILE ../outside/secret.txt",
     {},
     {"Команда отклонена: DELETEFILE ../outside/secret.txt"}},
    {"delete climbs out after going in",
     {{"Base/", ""}},
     "DELETEFILE Base\\..\\..\\outside\\secret.txt",
     {{"Base/", ""}},
     {"Команда отклонена: DELETEFILE Base\\..\\..\\outside\\secret.txt"}},
    {"absolute target",
     {},
     "DELETEFILE #/outside/secret.txt",
     {},
     {"Команда отклонена: DELETEFILE #/outside/secret.txt"}},
    {"source climbs out",
     {{"Base/", ""}},
     "ADDFILE ..\\outside\\secret.txt TO Base\\",
     {{"Base/", ""}},
     {"Команда отклонена: ADDFILE ..\\outside\\secret.txt TO Base\\"}},
    {"absolute source",
     {{"Base/x.xml", "OLD"}},
     "REPLACEFILE Base\\x.xml WITH #/outside/secret.txt",
     {{"Base/x.xml", "OLD"}},
     {"Команда отклонена: REPLACEFILE Base\\x.xml WITH #/outside/secret.txt"}},
    {"replace through a link",
     {{"link", "-> ../outside"}},
     "REPLACEFILE link\\secret.txt WITH a.txt",
     {{"link", "-> ../outside"}},
     {"Команда отклонена: REPLACEFILE link\\secret.txt WITH a.txt"}},
    {"append through a link",
     {{"link", "-> ../outside"}},
     "ADDTOFILE a.txt TO LINK\\secret.txt",
     {{"link", "-> ../outside"}},
     {"Команда отклонена: ADDTOFILE a.txt TO LINK\\secret.txt"}},
    {"add through a link",
     {{"link", "-> ../outside"}},
     "ADDFILE a.txt TO link\\",
     {{"link", "-> ../outside"}},
     {"Команда отклонена: ADDFILE a.txt TO link\\"}},
    {"delete a link",
     {{"link", "-> ../outside/secret.txt"}},
     "DELETEFILE link",
     {{"link", "-> ../outside/secret.txt"}},
     {"Команда отклонена: DELETEFILE link"}},
    {"add through a link that climbs out and back in",
     {{"Store/", ""}, {"Pics", "-> ../cat/Store"}},
     "ADDFILE a.txt TO Pics\\",
     {{"Store/", ""}, {"Pics", "-> ../cat/Store"}},
     {"Команда отклонена: ADDFILE a.txt TO Pics\\"}},
    // The catalogue's own links to other folders of it are followed.
    {"add through a link inside",
     {{"Store/", ""}, {"Pics", "-> Store"}},
     "ADDFILE a.txt TO pics\\",
     {{"Store/a.txt", "A"}, {"Pics", "-> Store"}},
     {"Добавляем a.txt в @pics/"}},
    {"add creates a folder through a link inside",
     {{"Deep/Store/", ""}, {"Deep/Pics", "-> Store"}},
     "ADDFILE x.gif TO Deep\\Pics\\New\\",
     {{"Deep/Store/New/x.gif", "GIF"}, {"Deep/Pics", "-> Store"}},
     {"Добавляем x.gif в @Deep/Pics/New/"}},
    {"replace through a link inside",
     {{"Store/x.xml", "OLD"}, {"Base", "-> Store"}},
     "REPLACEFILE Base\\x.xml WITH x.xml",
     {{"Store/x.xml", "NEW"}, {"Base", "-> Store"}},
     {"Заменяем @Base/x.xml"}},
    {"append to a file's link inside",
     {{"Store/list.txt", "A\r\n"}, {"list.txt", "-> Store/list.txt"}},
     "ADDTOFILE extra.txt TO list.txt",
     {{"Store/list.txt", "A\r\nC\r\n"}, {"list.txt", "-> Store/list.txt"}},
     {}},
    {"delete through a file's link inside: the file it names goes",
     {{"Store/x.xml", "OLD"}, {"x.xml", "-> Store/x.xml"}},
     "DELETEFILE x.xml",
     {{"Store/", ""}, {"x.xml", "-> Store/x.xml"}},
     {"Удаляем @x.xml"}},
};

Tree InFolder(const std::string& folder, const Tree& tree) {
  Tree result;
  for (const auto& [name, content] : tree) result[folder + name] = content;
  return result;
}

TEST(UpdateScriptTest, LinesChangeTheCatalogueAsTheySay) {
  for (const ScriptCase& c : kScriptCases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue temp;
    const std::string catalogue = temp.Path("cat");
    Tree before = kPayload;
    before["cat/"] = "";
    before.merge(InFolder("cat/", c.before));
    testing::Build(temp.root(), before);
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;

    std::string line = common::ReplaceAll(W(c.line), "#", temp.root());
    EXPECT_TRUE(ExecuteScriptLine(line, temp.Path("work"), catalogue, {status, messages, shell}));

    Tree after = kPayload;
    after.merge(InFolder("cat/", c.after));
    if (c.after.empty()) after["cat/"] = "";
    EXPECT_EQ(testing::Snapshot(temp.root()), after);
    std::vector<std::string> expected;
    for (const std::string& text : c.status) {
      expected.push_back(common::ReplaceAll(common::ReplaceAll(W(text), "@", W(catalogue + "/")),
                                            "#", temp.root()));
    }
    EXPECT_EQ(status.lines, expected);
    EXPECT_TRUE(messages.texts.empty());
  }
}

// The catalogue folder's UTF-8 path is said in the status line's Windows-1251 letters; a letter
// that Windows-1251 lacks shows as '?'.
TEST(UpdateScriptTest, StatusLinesSpellTheCatalogueFolderInTheirOwnLetters) {
  struct Case {
    const char* folder;
    const char* shown;  // as the user reads it
  } cases[] = {
      {"Мои документы/Каталог телефонов", "Мои документы/Каталог телефонов"},
      {"Ёлка № 5 — «тест»", "Ёлка № 5 — «тест»"},
      {"Müller ☎ 東京", "M?ller ? ??"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    testing::TempCatalogue temp(c.folder);
    testing::Build(temp.root(), {{"work/a.txt", "A"}, {"Base/old.txt", "OLD"}});
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    const std::string work = temp.Path("work");
    for (const char* line : {"ADDFILE a.txt TO Base\\", "REPLACEFILE Base\\a.txt WITH a.txt",
                             "DELETEFILE Base\\old.txt"}) {
      EXPECT_TRUE(ExecuteScriptLine(line, work, temp.root(), {status, messages, shell}));
    }
    // What the user reads: the lines in UTF-8 again.
    std::vector<std::string> read;
    for (const std::string& line : status.lines) read.push_back(common::Utf8FromCp1251(line));
    const std::string shown =
        temp.root().substr(0, temp.root().size() - std::strlen(c.folder)) + c.shown;
    EXPECT_EQ(read, (std::vector<std::string>{"Добавляем a.txt в " + shown + "/Base/",
                                              "Заменяем " + shown + "/Base/a.txt",
                                              "Удаляем " + shown + "/Base/old.txt"}));
  }
}

struct MessageCase {
  std::string line;
  bool answer;
  std::vector<std::string> shown;
  std::vector<std::string> opened;
};

const std::vector<MessageCase> kMessageCases = {
    {"MESSAGE Новая база: 300 моделей", true, {"Новая база: 300 моделей"}, {}},
    {"URLMESSAGE Visit us URL http://example.org/a b", false, {"Visit us"}, {}},
    {"URLMESSAGE Visit us URL http://example.org/a b",
     true,
     {"Visit us"},
     {"http://example.org/a b"}},
    {"URLMESSAGE Visit URL HTTPS://example.org", true, {"Visit"}, {"HTTPS://example.org"}},
    {"URLMESSAGE Visit URL www.example.org/price",
     true,
     {"Visit"},
     {"http://www.example.org/price"}},
    {"URLMESSAGE Write URL mailto:shop@example.org", true, {"Write"}, {"mailto:shop@example.org"}},
    {"URLMESSAGE Visit URL file:///etc/passwd", true, {"Visit"}, {}},
    {"URLMESSAGE Visit URL javascript:alert(1)", true, {"Visit"}, {}},
    {"URLMESSAGE Visit URL /usr/bin/xterm", true, {"Visit"}, {}},
    {"URLMESSAGE Visit http://example.org", true, {}, {}},
};

// A file replaced or appended to keeps the permissions its owner gave it (one kept private stays
// so), but never set-user-ID, set-group-ID or sticky, nor write permission for the group or
// others that the catalogue's folder does not give: a program another user planted at mode 6777
// in a shared catalogue must not come out of root's update as a set-user-ID program of root's.
TEST(UpdateScriptTest, ChangedFilesKeepTheirPermissionsOnly) {
  struct Case {
    mode_t file, folder, expected;
  };
  const Case cases[] = {
      {0600, 0755, 0600}, {06777, 0755, 0755}, {01644, 0755, 0644},
      {0666, 0777, 0666}, {0666, 0775, 0664},
  };
  for (const Case& c : cases) {
    for (const char* line :
         {"REPLACEFILE list.txt WITH extra.txt", "ADDTOFILE extra.txt TO list.txt"}) {
      SCOPED_TRACE(std::string(line) + " mode " + std::to_string(c.file) + " in " +
                   std::to_string(c.folder));
      testing::TempCatalogue temp;
      Tree before = kPayload;
      before["cat/list.txt"] = "A\r\n";
      testing::Build(temp.root(), before);
      ASSERT_EQ(::chmod(temp.Path("cat/list.txt").c_str(), c.file), 0);
      ASSERT_EQ(::chmod(temp.Path("cat").c_str(), c.folder), 0);
      testing::RecordingStatus status;
      testing::FakeMessages messages;
      testing::FakeShell shell;
      EXPECT_TRUE(
          ExecuteScriptLine(line, temp.Path("work"), temp.Path("cat"), {status, messages, shell}));
      struct stat info;
      ASSERT_EQ(::stat(temp.Path("cat/list.txt").c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, c.expected);
      EXPECT_NE(temp.ReadBytes("cat/list.txt"), "A\r\n");
    }
  }
}

TEST(UpdateScriptTest, MessagesShowTheirTextAndOpenOnlyWebAddresses) {
  for (const MessageCase& c : kMessageCases) {
    SCOPED_TRACE(c.line);
    testing::TempCatalogue temp;
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    messages.confirm_answer = c.answer;
    testing::FakeShell shell;
    EXPECT_TRUE(ExecuteScriptLine(W(c.line), temp.root(), temp.root(), {status, messages, shell}));
    std::vector<std::string> shown;
    for (const std::string& text : c.shown) shown.push_back(W(text));
    EXPECT_EQ(messages.texts, shown);
    EXPECT_EQ(shell.opened, c.opened);
    EXPECT_TRUE(status.lines.empty());
  }
}

}  // namespace
}  // namespace trubkom::update
