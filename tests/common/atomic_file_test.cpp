#include "common/atomic_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "common/encoding.h"
#include "support/temp_catalogue.h"

namespace trubkom::common {
namespace {

// Leftovers of killed writers go; files of running writers and files not ours stay.
TEST(RemoveStaleTemporaries, Table) {
  const std::string self = std::to_string(::getpid());
  struct Case {
    std::string name;
    bool removed;
  };
  const Case cases[] = {
      {"base.tkm.trubkom-999999999-0.tmp", true},
      {"temp.html.trubkom-999999998-12.tmp", true},
      {"base.tkm.trubkom-" + self + "-0.tmp", false},
      {"base.tkm", false},
      {"base.tkm.tmp", false},
      {"base.tkm.trubkom-x-0.tmp", false},
      {"base.tkm.trubkom-999999999-0.tmp.bak", false},
      {"base.tkm.trubkom-999999999.tmp", false},
  };
  testing::TempCatalogue cat;
  for (const Case& c : cases) cat.WriteBytes("Base/" + c.name, "x");
  cat.WriteBytes("Base/sub/a.trubkom-999999999-0.tmp", "x");
  int expected = 0;
  for (const Case& c : cases) expected += c.removed;
  EXPECT_EQ(RemoveStaleTemporaries(cat.Path("Base")), expected);
  for (const Case& c : cases) EXPECT_EQ(cat.Exists("Base/" + c.name), !c.removed) << c.name;
  EXPECT_TRUE(cat.Exists("Base/sub/a.trubkom-999999999-0.tmp"));  // one folder only
}

// A folder is writable when a file can be made in it; the probe leaves nothing behind. The
// permission bits do not stop root, so the read-only row runs for other users only; a file
// where the folder should be binds everyone.
TEST(CheckFolderWritable, Table) {
  struct Case {
    const char* what;
    std::function<void(const testing::TempCatalogue&)> make;  // makes cat.Path("f")
    std::optional<ErrorCode> error;
    bool needs_non_root = false;
  };
  const Case cases[] = {
      {"a folder", [](auto& cat) { std::filesystem::create_directory(cat.Path("f")); }, {}},
      {"no folder", [](auto&) {}, ErrorCode::kMissing},
      {"a file", [](auto& cat) { cat.WriteBytes("f", "x"); }, ErrorCode::kNotAFile},
      {"a read-only folder",
       [](auto& cat) {
         std::filesystem::create_directory(cat.Path("f"));
         std::filesystem::permissions(cat.Path("f"), std::filesystem::perms::owner_write,
                                      std::filesystem::perm_options::remove);
       },
       ErrorCode::kNoPermission, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.needs_non_root && ::geteuid() == 0) continue;  // root writes there anyway
    testing::TempCatalogue cat("Мои документы");
    c.make(cat);
    Status writable = CheckFolderWritable(cat.Path("f"));
    EXPECT_EQ(writable.ok(), !c.error);
    if (!writable) {
      EXPECT_EQ(writable.error().code, *c.error);
      EXPECT_EQ(writable.error().message.rfind(
                    Cp1251FromUtf8("Нельзя записывать в папку " + cat.Path("f") + ": "), 0),
                0u);
    }
    if (!c.error) {
      EXPECT_TRUE(std::filesystem::is_empty(cat.Path("f")));
    }
  }
}

}  // namespace
}  // namespace trubkom::common
