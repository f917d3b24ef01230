#include "update/apply_package.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <functional>

#include "common/atomic_file.h"
#include "common/string_ops.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"
#include "update/package.h"
#include "update/update_test_support.h"

namespace trubkom::update {
namespace {

using testing::Tree;
using testing::W;

const std::string kScript =
    "ADDFILE a.gif TO Pics\\\r\nADDFILE upd151207.new TO updates\\\r\nDELETEFILE old.txt\r\n";

std::string GoodArchive() {
  return testing::MakeZip({{"upd151207.tkm", kScript},
                           {"UPD_b.tkm", "DELETEFILE old2.txt"},
                           {"data.tkm", "DELETEFILE keep.txt"},
                           {"sub/upd_c.tkm", "DELETEFILE keep.txt"},
                           {"a.gif", "GIF"},
                           {"upd151207.new", "Nokia 3310\r\n"}});
}

struct ApplyCase {
  const char* what;
  std::function<std::string(const SealingKeys&)> package;
  Tree before;  // of the catalogue
  ApplyResult result;
  Tree after;
  std::vector<std::string> status;  // "@" for the catalogue folder with its '/'
};

const Tree kCatalogue = {{"Pics/", ""}, {"old.txt", "O"}, {"old2.txt", "O"}, {"keep.txt", "K"}};

const std::vector<ApplyCase> kApplyCases = {
    {"applied: the upd scripts of the top level run",
     [](const SealingKeys& keys) { return SealPackage(GoodArchive(), "upd151207.upd", keys); },
     kCatalogue,
     ApplyResult::kApplied,
     {{"Pics/a.gif", "GIF"}, {"updates/upd151207.new", "Nokia 3310\r\n"}, {"keep.txt", "K"}},
     {"Удаляем @old2.txt", "Добавляем a.gif в @Pics/", "Добавляем upd151207.new в @updates/",
      "Удаляем @old.txt", ""}},
    {"applied before",
     [](const SealingKeys& keys) { return SealPackage(GoodArchive(), "upd151207.upd", keys); },
     {{"updates/UPD151207.NEW", ""}, {"old.txt", "O"}},
     ApplyResult::kAlreadyApplied,
     {{"updates/UPD151207.NEW", ""}, {"old.txt", "O"}},
     {}},
    {"tampered",
     [](const SealingKeys& keys) {
       std::string package = SealPackage(GoodArchive(), "upd151207.upd", keys);
       package[100] = static_cast<char>(package[100] ^ 1);
       return package;
     },
     kCatalogue,
     ApplyResult::kRefused,
     kCatalogue,
     {}},
    {"sealed by another publisher",
     [](const SealingKeys&) {
       return SealPackage(GoodArchive(), "upd151207.upd", NewSealingKeys());
     },
     kCatalogue,
     ApplyResult::kRefused,
     kCatalogue,
     {}},
    {"an archive with a climbing entry does not run",
     [](const SealingKeys& keys) {
       return SealPackage(testing::MakeZip({{"upd151207.tkm", kScript}, {"../a.gif", "GIF"}}),
                          "upd151207.upd", keys);
     },
     kCatalogue,
     ApplyResult::kIncomplete,
     kCatalogue,
     {}},
};

TEST(ApplyPackageTest, AppliesOnlyWholeUntouchedNewPackagesAndLeavesNoWorkingFolder) {
  const SealingKeys keys = NewSealingKeys();
  for (const ApplyCase& c : kApplyCases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue temp;
    testing::Build(temp.Path("cat"), c.before);
    testing::Build(temp.root(), {{"tmp/", ""}});
    common::ReplaceFileAtomically(temp.Path("upd151207.upd"), c.package(keys));
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    std::string saved_tmpdir = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    ::setenv("TMPDIR", temp.Path("tmp").c_str(), 1);

    ApplyOutcome outcome = ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                                        {status, messages, shell}, OpeningKeysFor(keys));

    saved_tmpdir.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved_tmpdir.c_str(), 1);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(testing::Snapshot(temp.Path("cat")), c.after);
    std::vector<std::string> expected;
    for (const std::string& line : c.status) {
      expected.push_back(common::ReplaceAll(W(line), "@", temp.Path("cat") + "/"));
    }
    EXPECT_EQ(status.lines, expected);
    EXPECT_EQ(testing::Snapshot(temp.Path("tmp")), (Tree{}));
  }
}

}  // namespace
}  // namespace trubkom::update
