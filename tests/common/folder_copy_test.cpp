#include "common/folder_copy.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>

#include "common/line_file.h"
#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

namespace fs = std::filesystem;

// Everything below root: a file's bytes, "-> target" for a link, "/" for a folder.
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    std::string name = entry.path().lexically_relative(root).string();
    if (entry.is_symlink()) {
      tree[name] = "-> " + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      tree[name] = "/";
    } else {
      tree[name] = ReadFile(entry.path().string()).value_or("?");
    }
  }
  return tree;
}

// A read-only catalogue is copied whole and the copy can be written: the copy's purpose.
TEST(CopyFolder, CopiesFoldersFilesAndLinksWritableByTheOwner) {
  testing::TempCatalogue cat("Мои документы");
  cat.WriteBytes("from/Base/base.tkm", "index");
  cat.WriteBytes("from/Pics/Nokia/Картинка 1.png", "png");
  fs::create_directories(cat.Path("from/updates"));
  fs::create_symlink("Base/base.tkm", cat.Path("from/link"));
  ASSERT_EQ(::mkfifo(cat.Path("from/pipe").c_str(), 0600), 0);
  for (const char* path : {"from/Base/base.tkm", "from/Base", "from"}) {
    fs::permissions(cat.Path(path),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }

  ASSERT_TRUE(CopyFolder(cat.Path("from"), cat.Path("data/trubkom/catalogue")));
  const std::map<std::string, std::string> expected = {{"Base", "/"},
                                                       {"Base/base.tkm", "index"},
                                                       {"Pics", "/"},
                                                       {"Pics/Nokia", "/"},
                                                       {"Pics/Nokia/Картинка 1.png", "png"},
                                                       {"updates", "/"},
                                                       {"link", "-> Base/base.tkm"}};
  EXPECT_EQ(Tree(cat.Path("data/trubkom/catalogue")), expected);
  for (const char* path : {"", "/Base", "/Base/base.tkm"}) {
    fs::perms perms = fs::status(cat.Path("data/trubkom/catalogue") + path).permissions();
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none) << path;
  }
  EXPECT_EQ(Tree(cat.Path("data/trubkom")).size(), expected.size() + 1);  // nothing beside it
  fs::permissions(cat.Path("from"), fs::perms::owner_all, fs::perm_options::add);
  fs::permissions(cat.Path("from/Base"), fs::perms::owner_all, fs::perm_options::add);
}

// The copy goes only where nothing is, and a copy that fails leaves nothing.
TEST(CopyFolder, TargetsThatAreRefused) {
  struct Case {
    const char* what;
    const char* make;  // what stands at the target: "" nothing, "/" an empty folder,
                       // "/x" a folder with a file, "x" a file
    bool copied;
  } cases[] = {
      {"nothing", "", true},
      {"an empty folder", "/", true},
      {"a folder with files", "/x", false},
      {"a file", "x", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue cat;
    cat.WriteBytes("from/Base/base.tkm", "index");
    const std::string make = c.make;
    if (make == "/") fs::create_directories(cat.Path("to"));
    if (make == "/x") cat.WriteBytes("to/x", "x");
    if (make == "x") cat.WriteBytes("to", "x");
    const auto before = Tree(cat.root());
    Status copied = CopyFolder(cat.Path("from"), cat.Path("to"));
    EXPECT_EQ(copied.ok(), c.copied);
    if (copied) {
      EXPECT_EQ(Tree(cat.Path("to")), Tree(cat.Path("from")));
      EXPECT_EQ(std::distance(fs::directory_iterator(cat.root()), fs::directory_iterator()), 2);
    } else {
      EXPECT_NE(copied.error().message.find(cat.Path("to")), std::string::npos);
      EXPECT_EQ(Tree(cat.root()), before);
    }
  }
}

// A copy cut short by a full disk (a file-size limit, which binds root too) leaves nothing.
TEST(CopyFolder, AFailureHalfwayLeavesNothing) {
  testing::TempCatalogue cat;
  cat.WriteBytes("from/a.txt", "a");
  cat.WriteBytes("from/Base/base.tkm", "a longer index");
  cat.WriteBytes("from/z.txt", "z");
  rlimit old_limit;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old_limit), 0);
  rlimit limit = old_limit;
  limit.rlim_cur = 4;
  auto old_handler = ::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  Status copied = CopyFolder(cat.Path("from"), cat.Path("to"));
  ::setrlimit(RLIMIT_FSIZE, &old_limit);
  ::signal(SIGXFSZ, old_handler);
  ASSERT_FALSE(copied);
  EXPECT_EQ(copied.error().code, ErrorCode::kNoSpace);
  EXPECT_NE(copied.error().message.find("base.tkm"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(cat.root()), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace trubkom::common
