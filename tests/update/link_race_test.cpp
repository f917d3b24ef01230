// A catalogue shared by a group: while the update steps run, another member swaps what a name
// on their way is, as fast as a thread can, between a folder inside the catalogue and a link to
// a folder outside. Whatever the moment of a swap, nothing is ever written outside: the outside
// folder is watched for every change while the steps run, and compared at the end.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "common/unique_fd.h"
#include "support/fake_ports.h"
#include "support/scripted_http_server.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"
#include "update/apply_journal.h"
#include "update/contained_path.h"
#include "update/package.h"
#include "update/update_run.h"
#include "update/update_script.h"

namespace trubkom::update {
namespace {

using testing::Tree;

// Exchanges each name of the folder with its twin "<name>.swap" (both stay, each taking the
// other's place at once) in a loop on a thread of its own, from before the constructor returns
// until the object goes.
class Swapper {
 public:
  Swapper(const std::string& folder, std::vector<std::string> names) : names_(std::move(names)) {
    folder_.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    thread_ = std::thread([this] { Run(); });
    std::unique_lock lock(mutex_);
    started_.wait(lock, [this] { return started; });
  }
  ~Swapper() {
    stop_ = true;
    thread_.join();
  }

  bool started = false;

 private:
  void Run() {
    while (!stop_) {
      for (const std::string& name : names_) {
        ::renameat2(folder_.get(), name.c_str(), folder_.get(), (name + ".swap").c_str(),
                    RENAME_EXCHANGE);
      }
      if (!started) {
        std::lock_guard lock(mutex_);
        started = true;
        started_.notify_all();
      }
    }
  }

  common::UniqueFd folder_;
  std::vector<std::string> names_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::condition_variable started_;
  std::thread thread_;
};

// Every change to the entries of a folder from now on, by name.
class ChangeWatch {
 public:
  explicit ChangeWatch(const std::string& folder) : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    ::inotify_add_watch(fd_.get(), folder.c_str(),
                        IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO |
                            IN_CREATE | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF);
  }
  bool ok() const { return fd_.ok(); }

  std::vector<std::string> Changes() const {
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(fd_.get(), buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        names.push_back(event->len ? event->name : "(the folder itself)");
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    return names;
  }

 private:
  common::UniqueFd fd_;
};

// The script lines and the package script, all through the names swapped.
const std::vector<std::string> kLines = {
    "DELETEFILE Pics\\a.gif",
    "ADDFILE a.gif TO Pics\\",
    "REPLACEFILE Pics\\a.gif WITH b.gif",
    "ADDTOFILE lines.txt TO Pics\\list.txt",
    "ADDFILE x.gif TO Pics\\New\\",
    "DELETEFILE Pics\\New\\x.gif",
};
const std::string kPackageScript =
    "REPLACEFILE Pics\\a.gif WITH b.gif\r\nADDTOFILE lines.txt TO Pics\\list.txt\r\n"
    "ADDFILE upd150107.new TO updates\\\r\n";
const Tree kPayload = {
    {"a.gif", "A"}, {"b.gif", "B"}, {"lines.txt", "L\r\n"}, {"x.gif", "X"}, {"upd150107.new", "N"}};
// Files of the names the steps write, so that a write, append or delete outside would show.
const Tree kOutside = {{"outside/a.gif", "OUT"},
                       {"outside/list.txt", "OUT\r\n"},
                       {"outside/upd150107.new", "OUT"},
                       {"outside/upd150107.upd", "OUT"}};

struct SwapCase {
  const char* what;
  Tree catalogue;              // in the test's root: cat/ with the names swapped and their twins
  const char* inside_updates;  // the folder inside where downloads and markers land
};

const SwapCase kSwapCases[] = {
    {"a link that leads in or out",
     {{"cat/Store/list.txt", "S\r\n"},
      {"cat/Pics", "-> Store"},
      {"cat/Pics.swap", "-> ../outside"},
      {"cat/Upd/", ""},
      {"cat/updates", "-> Upd"},
      {"cat/updates.swap", "-> ../outside"}},
     "cat/Upd"},
    {"a folder that a link leading out takes the place of",
     {{"cat/Pics/list.txt", "S\r\n"},
      {"cat/Pics.swap", "-> ../outside"},
      {"cat/updates/", ""},
      {"cat/updates.swap", "-> ../outside"}},
     "cat/updates"},
};

TEST(LinkRace, NothingIsEverWrittenOutsideWhateverTheMomentOfASwap) {
  const SealingKeys keys = NewSealingKeys();
  Tree archive = kPayload;
  archive["upd.tkm"] = kPackageScript;
  std::vector<testing::ZipEntry> entries;
  for (const auto& [name, bytes] : archive) entries.push_back({name, bytes});
  const std::string package = SealPackage(testing::MakeZip(entries), "upd150107.upd", keys);
  testing::ScriptedHttpServer server(
      {{"/updates/index.txt", testing::Respond("200 OK", "upd150107.upd\r\n")},
       {"/updates/upd150107.upd", testing::Respond("200 OK", package)}});
  for (bool openat2 : {true, false}) {
    UseOpenat2(openat2);
    for (const SwapCase& c : kSwapCases) {
      SCOPED_TRACE(std::string(c.what) + (openat2 ? " (openat2)" : " (openat)"));
      testing::TempCatalogue temp;
      testing::Build(temp.root(), kOutside);
      testing::Build(temp.root(), c.catalogue);
      for (const auto& [name, bytes] : kPayload) temp.WriteBytes("work/" + name, bytes);
      const std::string catalogue = temp.Path("cat");
      common::UniqueFd inside_updates(
          ::open(temp.Path(c.inside_updates).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      ChangeWatch watch(temp.Path("outside"));
      ASSERT_TRUE(watch.ok());
      testing::RecordingStatus status;
      testing::FakeMessages messages;
      testing::FakeShell shell;
      testing::FakeFolderChooser folders;
      {
        Swapper swapper(catalogue, {"Pics", "updates"});
        for (int round = 0; round < 200; ++round) {
          for (const std::string& line : kLines) {
            (void)ExecuteScriptLine(line, temp.Path("work"), catalogue, {status, messages, shell});
          }
          ApplyJournal journal(catalogue, "upd150107.upd", "digest");
          (void)journal.StartLine(1);
          (void)journal.BeforeAppend(2, "Pics\\list.txt");
          (void)journal.Finish();
          if (round % 5 != 0) continue;
          // Downloads, the package's journal, its lines and its marker; then the package and
          // its marker go again, so that the next run does it all once more.
          RunUpdate(catalogue, {false, false, "", server.Url("/")},
                    {status, messages, shell, folders, nullptr, {}}, OpeningKeysFor(keys));
          for (const char* name : {"upd150107.upd", "upd150107.new"}) {
            ::unlinkat(inside_updates.get(), name, 0);
          }
        }
      }
      EXPECT_EQ(watch.Changes(), std::vector<std::string>{});
      Tree outside;
      for (const auto& [name, bytes] : kOutside) outside[name.substr(8)] = bytes;
      EXPECT_EQ(testing::Snapshot(temp.Path("outside")), outside);
    }
  }
  UseOpenat2(true);
}

// A swap made for certain at the worst moment, once: when the walk is about to open the folder
// named when for the at-th time (0: never; the calls are counted), the name in folder is
// exchanged with "<name>.swap".
struct PlannedSwap {
  int folder = -1;
  std::string name, when;
  int at = 0;
  int calls = 0;
};
PlannedSwap planned;

void SwapOnce(const std::string& opening) {
  if (opening != planned.when || ++planned.calls != planned.at) return;
  ::renameat2(planned.folder, planned.name.c_str(), planned.folder,
              (planned.name + ".swap").c_str(), RENAME_EXCHANGE);
}

// Just before the walk opens New under Pics, a name on its way becomes a link to a folder outside
// that has a New of its own: Pics, where the kernel resolves the whole path from the catalogue
// (openat2, kept beneath it), or New itself, where each folder is opened from the one before
// (never following a link). Either way nothing is written outside. The line walks to New more
// than once (to plan, then to write): the swap comes before the last of them, found by a first
// run that only counts.
TEST(LinkRace, ASwapJustBeforeAFolderOpensLeadsNowhereOutside) {
  for (int round = 0; round < 4; ++round) {
    const bool openat2 = round < 2, counting = round % 2 == 0;
    SCOPED_TRACE(std::string(openat2 ? "openat2" : "openat") + (counting ? ", counting" : ""));
    UseOpenat2(openat2);
    testing::TempCatalogue temp;
    testing::Build(temp.root(), {{"outside/New/", ""},
                                 {"cat/Pics/New/", ""},
                                 {"cat/Pics.swap", "-> ../outside"},
                                 {"cat/Pics/New.swap", "-> ../../outside/New"},
                                 {"work/x.gif", "X"}});
    common::UniqueFd folder(::open(temp.Path(openat2 ? "cat" : "cat/Pics").c_str(),
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const int last = planned.calls;
    planned = {folder.get(), openat2 ? "Pics" : "New", "New", counting ? 0 : last, 0};
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    SetBeforeFolderOpenForTesting(SwapOnce);
    (void)ExecuteScriptLine("ADDFILE x.gif TO Pics\\New\\", temp.Path("work"), temp.Path("cat"),
                            {status, messages, shell});
    SetBeforeFolderOpenForTesting(nullptr);
    if (counting) {
      EXPECT_GT(planned.calls, 0);
      continue;
    }
    EXPECT_EQ(testing::Snapshot(temp.Path("outside")), (Tree{{"New/", ""}}));
  }
  UseOpenat2(true);
}

}  // namespace
}  // namespace trubkom::update
