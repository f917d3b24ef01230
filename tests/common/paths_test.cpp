#include "common/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/atomic_file.h"
#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

TEST(Paths, ResolvesEachComponentIgnoringLetterCase) {
  testing::TempCatalogue dir;
  dir.WriteBytes("templates/Model_Template.html", "x");
  dir.WriteBytes("Pics/nokia/3310.png", "x");
  struct Case {
    std::string relative, expected;
  };
  const Case cases[] = {
      {"Templates/model_template.html", "templates/Model_Template.html"},
      {"Templates\\temp.html", "templates/temp.html"},  // the missing file keeps its spelling
      {"pics/Nokia/3310.PNG", "Pics/nokia/3310.png"},
      {"Missing/Sub/file.txt", "Missing/Sub/file.txt"},
      {"./templates", "templates"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolvePath(dir.root(), c.relative), dir.root() + "/" + c.expected) << c.relative;
  }
  EXPECT_TRUE(FileExistsIn(dir.root(), "TEMPLATES/MODEL_TEMPLATE.HTML"));
  EXPECT_FALSE(FileExistsIn(dir.root(), "Templates"));  // a folder is not a file
}

TEST(Paths, ExactSpellingWinsOverAFoldedOne) {
  testing::TempCatalogue dir;
  dir.WriteBytes("Base/a.txt", "upper");
  dir.WriteBytes("base/a.txt", "lower");
  EXPECT_EQ(ResolvePath(dir.root(), "base/a.txt"), dir.root() + "/base/a.txt");
  EXPECT_EQ(ResolvePath(dir.root(), "Base/a.txt"), dir.root() + "/Base/a.txt");
}

TEST(Paths, ListsFilesByMaskIgnoringCaseAndSkippingFolders) {
  testing::TempCatalogue dir;
  for (const char* name : {"nokia_new.xml", "LG_NEW.XML", "readme.txt", "x.xml.bak"}) {
    dir.WriteBytes(std::string("Base/") + name, "x");
  }
  std::filesystem::create_directories(dir.Path("Base/folder.xml"));
  EXPECT_EQ(ListFiles(dir.Path("Base"), "*.xml"),
            (std::vector<std::string>{"LG_NEW.XML", "nokia_new.xml"}));
  EXPECT_EQ(ListFiles(dir.Path("Base"), "*.txt"), std::vector<std::string>{"readme.txt"});
  EXPECT_TRUE(ListFiles(dir.Path("Nothing"), "*.xml").empty());
}

TEST(Paths, JoinReadsBackslashesAsSlashes) {
  EXPECT_EQ(JoinPath("/cat", "adv\\prices\\a.prc"), "/cat/adv/prices/a.prc");
  EXPECT_EQ(JoinPath("/cat/", "/x"), "/cat/x");
  EXPECT_EQ(WithTrailingSlash("/cat"), "/cat/");
}

// Pages are Windows-1251 and the file system's names UTF-8: an address must be ASCII that
// the browser decodes back to the path's very bytes.
TEST(Paths, FileUrlKeepsUnreservedCharactersAndSlashesAndEncodesEveryOtherByte) {
  struct Case {
    const char* path;
    const char* url;
  } cases[] = {
      {"/cat/a.html", "file:///cat/a.html"},
      {"/A-z_0.9~/b", "file:///A-z_0.9~/b"},
      {"/tmp/Мои документы/К",
       "file:///tmp/%D0%9C%D0%BE%D0%B8%20%D0%B4%D0%BE%D0%BA%D1%83%D0%BC"
       "%D0%B5%D0%BD%D1%82%D1%8B/%D0%9A"},
      {"/a#b?c%d&e+f;g=h'i\\j\"k", "file:///a%23b%3Fc%25d%26e%2Bf%3Bg%3Dh%27i%5Cj%22k"},
      {"/\xFF\x01", "file:///%FF%01"},  // bytes that are no UTF-8 at all
      {"/folder/", "file:///folder/"},
  };
  for (const Case& c : cases) EXPECT_EQ(FileUrl(c.path), c.url) << c.path;
}

TEST(AtomicFile, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
  testing::TempCatalogue dir;
  dir.WriteBytes("f.txt", "old");
  ASSERT_TRUE(ReplaceFileAtomically(dir.Path("f.txt"), "new"));
  EXPECT_EQ(dir.ReadBytes("f.txt"), "new");
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.root())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

// New and replaced files get 0666 narrowed by the umask, as any new file of the process would,
// whether written or linked into place.
TEST(AtomicFile, PermissionsFollowTheUmask) {
  const mode_t cases[][2] = {{022, 0644}, {077, 0600}, {0, 0666}, {027, 0640}};
  testing::TempCatalogue dir;
  for (const auto& [mask, expected] : cases) {
    dir.WriteBytes("source", "y");
    ASSERT_EQ(::chmod(dir.Path("source").c_str(), 0604), 0);
    mode_t old = ::umask(mask);
    bool written = ReplaceFileAtomically(dir.Path("f.txt"), "x").ok();
    bool linked = LinkFileAtomically(dir.Path("source"), dir.Path("g.txt"), true);
    ::umask(old);
    ASSERT_TRUE(written && linked);
    for (const char* name : {"f.txt", "g.txt"}) {
      struct stat info;
      ASSERT_EQ(::stat(dir.Path(name).c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 0777, expected) << std::oct << mask << " " << name;
    }
    ::unlink(dir.Path("source").c_str());
  }
}

// A link is made only to a regular file without another name, and replaces the target whole;
// otherwise the target stays and nothing is left beside it.
TEST(AtomicFile, LinksOnlyAFileWithoutOtherNames) {
  testing::TempCatalogue dir;
  dir.WriteBytes("single", "S");
  dir.WriteBytes("shared", "H");
  ASSERT_EQ(::link(dir.Path("shared").c_str(), dir.Path("shared2").c_str()), 0);
  ASSERT_EQ(::symlink("single", dir.Path("link").c_str()), 0);
  ASSERT_EQ(::mkdir(dir.Path("folder").c_str(), 0755), 0);
  const struct {
    const char* source;
    bool linked;
  } cases[] = {
      {"single", true}, {"shared", false}, {"link", false}, {"folder", false}, {"missing", false}};
  for (const auto& c : cases) {
    dir.WriteBytes("target", "old");
    EXPECT_EQ(LinkFileAtomically(dir.Path(c.source), dir.Path("target"), false), c.linked)
        << c.source;
    EXPECT_EQ(dir.ReadBytes("target"), c.linked ? "S" : "old") << c.source;
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.root())) {
      ++entries;
    }
    EXPECT_EQ(entries, 6) << c.source;  // no temporary file beside the target
  }
}

}  // namespace
}  // namespace trubkom::common
