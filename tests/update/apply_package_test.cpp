#include "update/apply_package.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "common/atomic_file.h"
#include "common/string_ops.h"
#include "support/fake_ports.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"
#include "update/package.h"

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

// What became of a package, as the table says it.
enum class ApplyResult { kApplied, kAlreadyApplied, kRefused, kIncomplete };

ApplyResult ResultOf(const common::Result<ApplyOutcome>& outcome) {
  if (outcome)
    return outcome->already_applied ? ApplyResult::kAlreadyApplied : ApplyResult::kApplied;
  return outcome.error().code == common::ErrorCode::kRefused ? ApplyResult::kRefused
                                                             : ApplyResult::kIncomplete;
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
    ASSERT_TRUE(common::ReplaceFileAtomically(temp.Path("upd151207.upd"), c.package(keys)));
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    std::string saved_tmpdir = getenv("TMPDIR") ? getenv("TMPDIR") : "";
    ::setenv("TMPDIR", temp.Path("tmp").c_str(), 1);

    auto outcome = ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                                {status, messages, shell}, OpeningKeysFor(keys));

    saved_tmpdir.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved_tmpdir.c_str(), 1);
    EXPECT_EQ(ResultOf(outcome), c.result);
    EXPECT_EQ(testing::Snapshot(temp.Path("cat")), c.after);
    std::vector<std::string> expected;
    for (const std::string& line : c.status) {
      expected.push_back(common::ReplaceAll(W(line), "@", temp.Path("cat") + "/"));
    }
    EXPECT_EQ(status.lines, expected);
    EXPECT_EQ(testing::Snapshot(temp.Path("tmp")), (Tree{}));
  }
}

// Stops the run, as a kill would, when the line it is at shows its status or message (before
// the line acts); -1: never.
class StoppingPorts : public common::StatusSink, public common::Messages {
 public:
  struct Stopped {};
  explicit StoppingPorts(int stop_at) : left_(stop_at) {}
  void Append(const std::string&) override { Tick(); }
  void Clear() override {}
  void Inform(const std::string&) override { Tick(); }
  bool Confirm(const std::string&) override { return false; }

 private:
  void Tick() {
    if (left_-- == 0) throw Stopped{};
  }
  int left_;
};

// Files of a line that does nothing (REPLACEFILE of a missing file), a payload file used twice,
// letter case, an append, a message and the marker before the last line: a run stopped before
// any of its lines is finished by the next one into exactly the catalogue of a whole run, and
// the files put in place have the permissions of new files and no second name in the
// catalogue.
TEST(ApplyPackageTest, ARunStoppedAtAnyLineIsFinishedByTheNext) {
  const std::string script =
      "ADDFILE a.gif TO Pics\\\r\nREPLACEFILE Base\\x.xml WITH r.xml\r\n"
      "ADDFILE x.xml TO Base\\\r\nADDFILE a.gif TO Pics\\lg\\\r\n"
      "REPLACEFILE Base\\OLD.xml WITH r.xml\r\nADDTOFILE lines.tkm TO Base\\base.tkm\r\n"
      "DELETEFILE Pics\\old.gif\r\nMESSAGE hello\r\nADDFILE upd151207.new TO updates\\\r\n"
      "ADDFILE b.gif TO Pics\\\r\n";
  const SealingKeys keys = NewSealingKeys();
  const std::string package = SealPackage(testing::MakeZip({{"upd151207.tkm", script},
                                                            {"x.xml", "X"},
                                                            {"r.xml", "R"},
                                                            {"a.gif", "A"},
                                                            {"b.gif", "B"},
                                                            {"lines.tkm", "L2\r\n"},
                                                            {"upd151207.new", "N"}}),
                                          "upd151207.upd", keys);
  const Tree before = {{"Base/old.xml", "O"}, {"Base/base.tkm", "L1\r\n"}, {"Pics/old.gif", "G"}};
  const Tree after = {
      {"Base/x.xml", "X"},           {"Base/old.xml", "R"},  {"Base/base.tkm", "L1\r\nL2\r\n"},
      {"Pics/a.gif", "A"},           {"Pics/lg/a.gif", "A"}, {"Pics/b.gif", "B"},
      {"updates/upd151207.new", "N"}};
  const mode_t saved_umask = ::umask(027);
  std::string saved_tmpdir = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  bool whole_run = false;
  for (int stop_at = 0; !whole_run; ++stop_at) {
    SCOPED_TRACE(stop_at);
    testing::TempCatalogue temp;
    testing::Build(temp.Path("cat"), before);
    testing::Build(temp.root(), {{"tmp/", ""}});
    ASSERT_TRUE(common::ReplaceFileAtomically(temp.Path("upd151207.upd"), package));
    ::setenv("TMPDIR", temp.Path("tmp").c_str(), 1);
    testing::FakeShell shell;
    try {
      StoppingPorts stopping(stop_at);
      EXPECT_TRUE(ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                               {stopping, stopping, shell}, OpeningKeysFor(keys)));
      whole_run = true;
    } catch (const StoppingPorts::Stopped&) {
      StoppingPorts never(-1);
      ApplyResult again = ResultOf(ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                                                {never, never, shell}, OpeningKeysFor(keys)));
      // Stopped at the last status line, after the journal went, the package was applied.
      EXPECT_TRUE(again == ApplyResult::kApplied || again == ApplyResult::kAlreadyApplied);
    }
    saved_tmpdir.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved_tmpdir.c_str(), 1);
    EXPECT_EQ(testing::Snapshot(temp.Path("cat")), after);
    EXPECT_EQ(testing::Snapshot(temp.Path("tmp")), (Tree{}));
    for (const auto& [name, bytes] : after) {
      struct stat info;
      ASSERT_EQ(::stat(temp.Path("cat/" + name).c_str(), &info), 0) << name;
      EXPECT_EQ(info.st_mode & 0777, 0640u) << name;
      EXPECT_EQ(info.st_nlink, 1u) << name;
    }
  }
  ::umask(saved_umask);
}

// A line that cannot write stops its package: the error names the file and the reason, the
// target keeps its old content, the package's marker is not written, and its journal stays, so
// the next run, with room again, finishes the package from that line.
TEST(ApplyPackageTest, AWriteThatFailsStopsThePackageAndTheNextRunFinishesIt) {
  const std::string old_index(3000, 'i');
  const std::string script =
      "ADDFILE a.gif TO Pics\\\r\nADDTOFILE lines.tkm TO Base\\base.tkm\r\n"
      "ADDFILE upd151207.new TO updates\\\r\n";
  const SealingKeys keys = NewSealingKeys();
  const std::string package = SealPackage(testing::MakeZip({{"upd151207.tkm", script},
                                                            {"a.gif", "A"},
                                                            {"lines.tkm", std::string(900, 'n')},
                                                            {"upd151207.new", "N"}}),
                                          "upd151207.upd", keys);
  struct Obstacle {
    const char* what;
    std::function<void(testing::TempCatalogue&)> raise, lower;
    common::ErrorCode code;
    const char* reason;
  };
  // Writes of more than 3.5 KB fail as on a full disk; the package and its archive are smaller.
  static rlimit saved;
  const Obstacle obstacles[] = {
      {"a full disk",
       [](auto&) {
         ::signal(SIGXFSZ, SIG_IGN);
         ::getrlimit(RLIMIT_FSIZE, &saved);
         rlimit small = saved;
         small.rlim_cur = 3500;
         ::setrlimit(RLIMIT_FSIZE, &small);
       },
       [](auto&) { ::setrlimit(RLIMIT_FSIZE, &saved); }, common::ErrorCode::kNoSpace,
       "файл больше допустимого размера"},
      {"a folder without write permission",
       [](testing::TempCatalogue& temp) { ::chmod(temp.Path("cat/Base").c_str(), 0555); },
       [](testing::TempCatalogue& temp) { ::chmod(temp.Path("cat/Base").c_str(), 0755); },
       common::ErrorCode::kNoPermission, "нет прав на запись"},
  };
  for (const Obstacle& o : obstacles) {
    SCOPED_TRACE(o.what);
    if (o.code == common::ErrorCode::kNoPermission && ::geteuid() == 0) continue;  // root writes
    testing::TempCatalogue temp;
    testing::Build(temp.Path("cat"), {{"Base/base.tkm", old_index}, {"Pics/", ""}});
    ASSERT_TRUE(common::ReplaceFileAtomically(temp.Path("upd151207.upd"), package));
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;

    o.raise(temp);
    auto stopped = ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                                {status, messages, shell}, OpeningKeysFor(keys));
    o.lower(temp);

    ASSERT_FALSE(stopped);
    EXPECT_EQ(stopped.error().code, o.code);
    EXPECT_TRUE(common::Contains(stopped.error().message, temp.Path("cat/Base/base.tkm")))
        << stopped.error().message;
    EXPECT_TRUE(common::Contains(stopped.error().message, W(o.reason))) << stopped.error().message;
    EXPECT_EQ(temp.ReadBytes("cat/Base/base.tkm"), old_index);
    EXPECT_FALSE(temp.Exists("cat/updates/upd151207.new"));
    EXPECT_TRUE(temp.Exists("cat/updates/journal/upd151207.progress"));

    auto finished = ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                                 {status, messages, shell}, OpeningKeysFor(keys));
    ASSERT_TRUE(finished) << finished.error().message;
    EXPECT_FALSE(finished->already_applied);
    EXPECT_EQ(testing::Snapshot(temp.Path("cat")),
              (Tree{{"Base/base.tkm", old_index + "\r\n" + std::string(900, 'n') + "\r\n"},
                    {"Pics/a.gif", "A"},
                    {"updates/upd151207.new", "N"}}));
  }
}

// A journal names its package. One written for another package, or lying where downloads land,
// is not taken and the package runs from its start; its own is found whatever the letter case
// of the package's name.
TEST(ApplyPackageTest, AJournalIsTakenOnlyForItsOwnPackage) {
  const SealingKeys keys = NewSealingKeys();
  const std::string package = SealPackage(
      testing::MakeZip({{"upd151207.tkm",
                         "ADDTOFILE a.txt TO log.txt\r\nADDFILE upd151207.new TO updates\\\r\n"},
                        {"a.txt", "A"},
                        {"upd151207.new", "N"}}),
      "upd151207.upd", keys);
  struct Case {
    const char* what;
    const char* journal_path;
    bool own;  // the journal names this package and its digest
    const char* log_after;
  } cases[] = {
      {"another package's journal", "updates/journal/upd151207.progress", false, "L\r\nA\r\n"},
      {"a journal where downloads land", "updates/upd151207.progress", true, "L\r\nA\r\n"},
      {"its own journal, the name in other letters", "updates/journal/upd151207.progress", true,
       "L\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue temp;
    ASSERT_TRUE(common::ReplaceFileAtomically(temp.Path("UPD151207.UPD"), package));
    auto opened = OpenPackageFile(temp.Path("UPD151207.UPD"), OpeningKeysFor(keys));
    ASSERT_TRUE(opened);
    std::string owner = "upd151207.upd " + (c.own ? opened->digest : std::string(64, '0'));
    // Line 0, the append, was done before the run was cut; line 1 is where it stood.
    testing::Build(temp.Path("cat"),
                   {{"log.txt", "L\r\n"}, {c.journal_path, "1\r\n" + owner + "\r\n"}});
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    auto applied = ApplyPackage(temp.Path("UPD151207.UPD"), temp.Path("cat"),
                                {status, messages, shell}, OpeningKeysFor(keys));
    ASSERT_TRUE(applied) << applied.error().message;
    EXPECT_EQ(temp.ReadBytes("cat/log.txt"), c.log_after);
    EXPECT_TRUE(temp.Exists("cat/updates/upd151207.new"));
    EXPECT_FALSE(temp.Exists("cat/updates/journal/upd151207.progress"));
  }
}

// Links on the way to the journal and the marker: followed when they stay inside the catalogue,
// so the package is applied once and known as applied afterwards; refused when they lead out,
// so the package is said not to be installed, nothing outside changes, and a second run neither
// repeats what the first did nor says the package is installed.
TEST(ApplyPackageTest, LinksToTheJournalAndTheMarkerAreFollowedOnlyInside) {
  const SealingKeys keys = NewSealingKeys();
  const std::string package = SealPackage(
      testing::MakeZip({{"upd151207.tkm",
                         "ADDTOFILE a.txt TO log.txt\r\nADDFILE upd151207.new TO updates\\\r\n"},
                        {"a.txt", "A"},
                        {"upd151207.new", "N"}}),
      "upd151207.upd", keys);
  const Tree kOutside = {{"outside/keep.txt", "K"}};
  struct Case {
    const char* what;
    Tree links;          // made in the test's root
    const char* reason;  // said by both runs; empty: the first applies, the second skips
    Tree after;          // of cat/, a journal's content shown as "J"
  } cases[] = {
      {"updates a link inside",
       {{"cat/Store/", ""}, {"cat/updates", "-> Store"}},
       "",
       {{"log.txt", "L\r\nA\r\n"}, {"Store/upd151207.new", "N"}, {"updates", "-> Store"}}},
      {"the journal folder a link inside",
       {{"cat/updates/keep/", ""}, {"cat/updates/journal", "-> keep"}},
       "",
       {{"log.txt", "L\r\nA\r\n"},
        {"updates/upd151207.new", "N"},
        {"updates/journal", "-> keep"},
        {"updates/keep/", ""}}},
      {"updates a link out",
       {{"cat/updates", "-> ../outside"}},
       "путь ведет за пределы папки",
       {{"log.txt", "L\r\n"}, {"updates", "-> ../outside"}}},
      {"the journal folder a link out",
       {{"cat/updates/journal", "-> ../../outside"}},
       "путь ведет за пределы папки",
       {{"log.txt", "L\r\n"}, {"updates/journal", "-> ../../outside"}}},
      // The journal stays at the marker's line: a later run with the link mended goes on there.
      {"the marker a link out",
       {{"cat/updates/upd151207.new", "-> ../../outside/marker"}},
       "отметка об установке пакета не записана",
       {{"log.txt", "L\r\nA\r\n"},
        {"updates/upd151207.new", "-> ../../outside/marker"},
        {"updates/journal/upd151207.progress", "J"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue temp;
    ASSERT_TRUE(common::ReplaceFileAtomically(temp.Path("upd151207.upd"), package));
    testing::Build(temp.root(), kOutside);
    testing::Build(temp.root(), c.links);
    temp.WriteBytes("cat/log.txt", "L\r\n");
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    for (int run = 0; run < 2; ++run) {
      auto outcome = ApplyPackage(temp.Path("upd151207.upd"), temp.Path("cat"),
                                  {status, messages, shell}, OpeningKeysFor(keys));
      if (*c.reason == '\0') {
        ASSERT_TRUE(outcome) << outcome.error().message;
        EXPECT_EQ(outcome->already_applied, run == 1) << run;
      } else {
        ASSERT_FALSE(outcome) << run;
        EXPECT_TRUE(common::Contains(outcome.error().message, W(c.reason)))
            << outcome.error().message;
      }
    }
    Tree after = testing::Snapshot(temp.Path("cat"));
    if (after.contains("updates/journal/upd151207.progress")) {
      after["updates/journal/upd151207.progress"] = "J";
    }
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(testing::Snapshot(temp.Path("outside")), (Tree{{"keep.txt", "K"}}));
  }
}

}  // namespace
}  // namespace trubkom::update
