// The update run against a real HTTP server on the loopback: which packages are fetched, which
// are applied, and the status lines and messages the user sees.
#include "update/update_run.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "common/ascii.h"
#include "common/paths.h"
#include "common/string_ops.h"
#include "support/fake_ports.h"
#include "support/nginx_server.h"
#include "support/scripted_http_server.h"
#include "support/temp_catalogue.h"
#include "support/update_test_support.h"
#include "update/package.h"
#include "update/signed_index.h"
#include "update/update_lock.h"

namespace trubkom::update {
namespace {

using testing::W;

// A package whose script installs its marker, listing one model.
std::string Package(const std::string& base, const SealingKeys& keys) {
  std::string archive = testing::MakeZip(
      {{"upd.tkm", "ADDFILE " + base + ".new TO updates\\\r\n"}, {base + ".new", "Nokia X *\r\n"}});
  return SealPackage(archive, base + ".upd", keys);
}

// One run with the fakes of a window: its status lines and summary. The folder chooser answers
// chosen (none: no folder).
struct Ran {
  std::vector<std::string> lines;
  UpdateSummary summary;
};

Ran RunOnce(const testing::TempCatalogue& cat, const UpdateOptions& options,
            const SealingKeys& keys, const std::string& chosen = {}) {
  testing::RecordingStatus status;
  testing::FakeMessages messages;
  testing::FakeShell shell;
  testing::FakeFolderChooser folders;
  folders.answer = chosen;
  UpdateSummary summary = RunUpdate(
      cat.root(), options, {status, messages, shell, folders, nullptr, {}}, OpeningKeysFor(keys));
  return {status.lines, std::move(summary)};
}

struct Case {
  const char* name;
  std::vector<std::string> local;   // packages in updates/ ("=" after the name: applied; "!":
                                    // sealed with other keys)
  std::string index;                // the server's index; empty: the server has none (404)
  std::vector<std::string> served;  // packages the server has
  bool online = true;               // the server is up
  bool local_mode = false;          // from a folder holding the packages of "served"
  std::vector<std::string> status;  // UTF-8; "@" stands for the catalogue folder
  std::vector<std::string> messages;
  std::vector<std::string> applied;  // markers present afterwards
};

const Case kCases[] = {
    {"a missing package is fetched and applied",
     {},
     "upd150107.upd\r\n",
     {"upd150107"},
     true,
     false,
     {"Скачиваем список апдейтов", "Скачиваем апдейт от 15.01.07", "Завершено", "",
      "Добавляем upd150107.new в @/updates/", "", "Установлено пакетов: 1"},
     {},
     {"upd150107"}},
    {"letter case is ignored",
     {"UPD150107.UPD="},
     "upd150107.upd\n",
     {"upd150107"},
     true,
     false,
     {"Скачиваем список апдейтов", "Завершено", ""},
     {"Обновлений нет"},
     {"UPD150107"}},
    {"short lines are no packages",
     {},
     "abc\r\n\r\nupd\r\n",
     {},
     true,
     false,
     {"Скачиваем список апдейтов", "Завершено", ""},
     {"Обновлений нет"},
     {}},
    {"a line within a local name counts as present",
     {"upd150107b.upd="},
     "upd150107\r\n",
     {},
     true,
     false,
     {"Скачиваем список апдейтов", "Завершено", ""},
     {"Обновлений нет"},
     {"upd150107b"}},
    {"a package the server lacks",
     {},
     "upd150107.upd\r\n",
     {},
     true,
     false,
     {"Скачиваем список апдейтов", "Скачиваем апдейт от 15.01.07",
      "Не скачан: сервер ответил ошибкой 404", ""},
     {},
     {}},
    {"no index: packages on disk are applied",
     {"upd010207.upd"},
     "",
     {},
     true,
     false,
     {"Скачиваем список апдейтов", "", "Сервер обновлений недоступен: сервер ответил ошибкой 404",
      "Добавляем upd010207.new в @/updates/", "", "Установлено пакетов: 1"},
     {},
     {"upd010207"}},
    {"index lines that name paths are skipped",
     {},
     "../evil.upd\r\nsub/upd1.upd\r\n..\\upd2.upd\r\n/tmp/upd3.upd\r\n.upd4.upd\r\n",
     {"evil"},
     true,
     false,
     {"Скачиваем список апдейтов", "Завершено", ""},
     {"Обновлений нет"},
     {}},
    {"no connection: applied and unapplied on disk",
     {"upd010207.upd=", "upd020207.upd"},
     "",
     {},
     false,
     false,
     {"Сервер обновлений недоступен: адрес сервера не найден",
      "Добавляем upd020207.new в @/updates/", "", "Установлено пакетов: 1"},
     {},
     {"upd010207", "upd020207"}},
    {"a package that does not open is named as not applied, and the newer ones wait for it",
     {"upd020207.upd!", "upd030207.upd"},
     "",
     {},
     false,
     false,
     {"Сервер обновлений недоступен: адрес сервера не найден",
      "Апдейт от 02.02.07 не установлен: подпись не сходится: пакет поврежден, переименован "
      "или подписан не издателем",
      "Апдейт от 03.02.07 ждёт установки апдейта от 02.02.07"},
     {},
     {}},
    {"the packages after one not downloaded wait for it",
     {"upd020207.upd"},
     "upd010207.upd\r\nupd020207.upd\r\n",
     {},
     true,
     false,
     {"Скачиваем список апдейтов", "Скачиваем апдейт от 01.02.07",
      "Не скачан: сервер ответил ошибкой 404", "",
      "Апдейт от 02.02.07 ждёт установки апдейта от 01.02.07"},
     {},
     {}},
    {"a package older than one applied is not applied",
     {"upd010207.upd", "upd020207.upd="},
     "",
     {},
     false,
     false,
     {"Сервер обновлений недоступен: адрес сервера не найден",
      "Апдейт от 01.02.07 не установлен: он старше установленного от 02.02.07"},
     {},
     {}},
    {"local folder: no download, markers looked up in the catalogue",
     {"upd030307.upd="},
     "",
     {"upd030307", "upd040407"},
     true,
     true,
     {"Добавляем upd040407.new в @/updates/", "", "Установлено пакетов: 1"},
     {},
     {"upd030307", "upd040407"}},
};

TEST(RunUpdate, Table) {
  const SealingKeys keys = NewSealingKeys();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::TempCatalogue cat;
    for (std::string local : c.local) {
      bool applied = local.ends_with("=");
      bool foreign = local.ends_with("!");
      if (applied || foreign) local.pop_back();
      std::string base = local.substr(0, local.size() - 4);
      cat.WriteBytes("updates/" + local, Package(base, foreign ? NewSealingKeys() : keys));
      if (applied) cat.WriteText("updates/" + base + ".new", "Nokia Y *\r\n");
    }
    std::map<std::string, testing::ScriptedResponse> routes;
    if (!c.index.empty()) routes["/updates/index.txt"] = testing::Respond("200 OK", c.index);
    testing::TempCatalogue chosen;
    for (const std::string& base : c.served) {
      routes["/updates/" + base + ".upd"] = testing::Respond("200 OK", Package(base, keys));
      chosen.WriteBytes(base + ".upd", Package(base, keys));
    }
    testing::ScriptedHttpServer server(routes);
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    testing::FakeFolderChooser folders;
    folders.answer = chosen.root();
    // A name that resolves nowhere is a network out of reach; a refused port is a server down.
    UpdateOptions options{c.local_mode, false, "",
                          c.online ? server.Url("/") : "http://update.invalid/"};
    RunUpdate(cat.root(), options, {status, messages, shell, folders, nullptr, {}},
              OpeningKeysFor(keys));

    std::vector<std::string> expected;
    for (const std::string& line : c.status) {
      std::string text = W(line);
      if (auto at = text.find('@'); at != std::string::npos) text.replace(at, 1, cat.root());
      expected.push_back(text);
    }
    EXPECT_EQ(status.lines, expected);
    std::vector<std::string> shown;
    for (const std::string& text : c.messages) shown.push_back(W(text));
    EXPECT_EQ(messages.texts, shown);
    for (const std::string& base : c.applied) {
      EXPECT_TRUE(common::IsFile(cat.Path("updates/" + base + ".new"))) << base;
    }
    // Nothing but packages and markers in updates/, and nothing outside the catalogue.
    for (const auto& [name, bytes] : testing::Snapshot(cat.root())) {
      std::string lowered = common::AsciiLowered(name);
      EXPECT_TRUE(lowered.ends_with(".upd") || lowered.ends_with(".new") ||
                  lowered.ends_with(".upd.rejected") || name == "updates/" ||
                  name == "updates/index.cache" || name == "updates/update.lock")
          << name;
    }
    EXPECT_FALSE(common::IsFile(cat.root() + "/../evil.upd"));
    if (c.local_mode) {
      EXPECT_TRUE(server.Requests().empty());
    }
  }
}

// A package put aside because it did not open stays only while the index lists it: nothing a
// server sent stays in updates/ without bound.
TEST(RunUpdate, PackagesPutAsideGoOnceTheIndexNoLongerListsThem) {
  const SealingKeys keys = NewSealingKeys();
  testing::ScriptedHttpServer server(
      {{"/updates/index.txt", testing::Respond("200 OK", "upd010207.upd\r\n")},
       {"/updates/upd010207.upd", testing::Respond("200 OK", Package("upd010207", keys))}});
  testing::TempCatalogue cat;
  cat.WriteBytes("updates/upd010207.upd.rejected", "junk");
  cat.WriteBytes("updates/UPD999999.UPD.rejected", "junk");
  RunOnce(cat, {false, false, "", server.Url("/")}, keys);
  EXPECT_TRUE(common::IsFile(cat.Path("updates/upd010207.upd.rejected")));
  EXPECT_FALSE(common::IsFile(cat.Path("updates/UPD999999.UPD.rejected")));
}

// What a killed run leaves in updates/ and no run needs goes with the next run: an empty journal
// folder (a journal of a package cut short stays, for the next run to finish it).
TEST(RunUpdate, AnEmptyJournalFolderGoes) {
  for (bool empty : {true, false}) {
    testing::TempCatalogue cat;
    cat.WriteBytes(empty ? "updates/journal/.keep" : "updates/journal/upd010207.progress", "x");
    if (empty) std::filesystem::remove(cat.Path("updates/journal/.keep"));
    RunOnce(cat, {true, false, "", ""}, NewSealingKeys());  // no folder chosen
    EXPECT_EQ(std::filesystem::exists(cat.Path("updates/journal")), !empty);
  }
}

// A run without an update server (a demo build's) says so and applies what it has.
TEST(RunUpdate, WithoutAServerSaysSo) {
  testing::TempCatalogue cat;
  Ran run = RunOnce(cat, {false, false, "", ""}, NewSealingKeys());
  ASSERT_TRUE(run.summary.server_problem);
  EXPECT_TRUE(
      run.lines.front().starts_with(W("Сервер обновлений не задан: обновите каталог из "
                                      "локальной папки")));
}

// One update of a catalogue at a time: a run that finds another under way says so and does
// nothing, unless that one ends within the wait it was given.
TEST(RunUpdate, OneAtATime) {
  const SealingKeys keys = NewSealingKeys();
  for (bool released_in_time : {false, true}) {
    SCOPED_TRACE(released_in_time ? "the other run ends within the wait" : "it does not");
    testing::TempCatalogue cat;
    testing::TempCatalogue chosen;
    chosen.WriteBytes("upd010207.upd", Package("upd010207", keys));
    std::optional<common::Result<UpdateLock>> other;
    other.emplace(UpdateLock::Take(cat.root()));
    ASSERT_TRUE(other->ok());
    std::thread ending;
    if (released_in_time) {
      ending = std::thread([&other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        other.reset();
      });
    }
    UpdateOptions options{true, false, "", ""};
    options.lock_wait = std::chrono::seconds(released_in_time ? 10 : 0);
    Ran run = RunOnce(cat, options, keys, chosen.root());
    if (ending.joinable()) ending.join();
    EXPECT_EQ(run.summary.not_run.has_value(), !released_in_time);
    EXPECT_EQ(common::IsFile(cat.Path("updates/upd010207.new")), released_in_time);
    if (!released_in_time) {
      EXPECT_EQ(run.summary.not_run->code, common::ErrorCode::kBusy);
      EXPECT_EQ(run.lines, std::vector<std::string>{W("Каталог уже обновляется")});
    }
  }
}

// Root updating a catalogue others may write in says so, once, first; in its own folder it does
// not.
TEST(RunUpdate, RootInAFolderOthersMayWriteToSaysSo) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root's run says it";
  for (mode_t mode : {0700, 0777}) {
    testing::TempCatalogue cat;
    ASSERT_EQ(::chmod(cat.root().c_str(), mode), 0);
    // No folder chosen: the run ends at once.
    const std::vector<std::string> lines =
        RunOnce(cat, {true, false, "", ""}, NewSealingKeys()).lines;
    const bool said = !lines.empty() && lines[0].starts_with(W("Внимание: каталог"));
    EXPECT_EQ(said, mode == 0777) << mode;
  }
}

// Downloads are not flushed to disk, so a crash of the system can leave a package cut short
// under its name. The run that finds it says it was not applied and removes it; the next run
// fetches and applies it. A package of a folder the user chose is never removed.
TEST(RunUpdate, APackageCutShortIsFetchedAgainByTheNextRun) {
  const SealingKeys keys = NewSealingKeys();
  const std::string whole = Package("upd150107", keys);
  for (bool local_mode : {false, true}) {
    SCOPED_TRACE(local_mode ? "local folder" : "server");
    testing::TempCatalogue cat, chosen;
    const std::string cut = whole.substr(0, whole.size() / 2);
    (local_mode ? chosen : cat)
        .WriteBytes(local_mode ? "upd150107.upd" : "updates/upd150107.upd", cut);
    testing::ScriptedHttpServer server(
        {{"/updates/index.txt", testing::Respond("200 OK", "upd150107.upd\r\n")},
         {"/updates/upd150107.upd", testing::Respond("200 OK", whole)}});
    testing::FakeMessages messages;
    testing::FakeShell shell;
    testing::FakeFolderChooser folders;
    folders.answer = chosen.root();
    UpdateOptions options{local_mode, false, "", server.Url("/")};
    for (int run = 0; run < 2; ++run) {
      testing::RecordingStatus status;
      RunUpdate(cat.root(), options, {status, messages, shell, folders, nullptr, {}},
                OpeningKeysFor(keys));
      bool refused =
          std::find(status.lines.begin(), status.lines.end(),
                    W("Апдейт от 15.01.07 не установлен: подпись не сходится: пакет "
                      "поврежден, переименован или подписан не издателем")) != status.lines.end();
      bool applied = common::IsFile(cat.Path("updates/upd150107.new"));
      // Moved aside, not deleted: the file may be the user's own.
      if (run == 0 && !local_mode) {
        EXPECT_EQ(cat.ReadBytes("updates/upd150107.upd.rejected"), cut);
      }
      EXPECT_EQ(refused, run == 0 || local_mode) << run;
      EXPECT_EQ(applied, run == 1 && !local_mode) << run;
    }
    if (local_mode) {
      EXPECT_EQ(chosen.ReadBytes("upd150107.upd"), cut);
    }
  }
}

TEST(RunUpdate, CancelStopsBeforeTheNextPackage) {
  const SealingKeys keys = NewSealingKeys();
  testing::TempCatalogue cat;
  cat.WriteBytes("updates/upd010207.upd", Package("upd010207", keys));
  std::atomic<bool> cancel{true};
  testing::RecordingStatus status;
  testing::FakeMessages messages;
  testing::FakeShell shell;
  testing::FakeFolderChooser folders;
  RunUpdate(cat.root(), {false, false, "", "http://127.0.0.1:9/"},
            {status, messages, shell, folders, &cancel, {}}, OpeningKeysFor(keys));
  EXPECT_FALSE(common::IsFile(cat.Path("updates/upd010207.new")));
}

// Three packages whose names sort against their dates, each replacing one file and appending
// to another: whatever the mode, they apply oldest first, so the newest content stays.
TEST(RunUpdate, PackagesApplyInDateOrder) {
  const SealingKeys keys = NewSealingKeys();
  const std::vector<std::string> by_name = {"upd010607", "upd050507", "upd100407"};
  auto package = [&](const std::string& base) {
    std::string script =
        "REPLACEFILE Base\\x.txt WITH x.txt\r\nADDTOFILE add.txt TO Base\\log.txt\r\n"
        "ADDFILE " +
        base + ".new TO updates\\\r\n";
    return SealPackage(testing::MakeZip({{"upd.tkm", script},
                                         {"x.txt", base},
                                         {"add.txt", base + "\r\n"},
                                         {base + ".new", "Nokia X *\r\n"}}),
                       base + ".upd", keys);
  };
  for (bool local_mode : {false, true}) {
    SCOPED_TRACE(local_mode ? "local folder" : "server");
    testing::TempCatalogue cat, chosen;
    cat.WriteText("Base/x.txt", "old");
    cat.WriteText("Base/log.txt", "first\r\n");
    std::map<std::string, testing::ScriptedResponse> routes;
    std::string index;
    for (const std::string& base : by_name) {
      index += base + ".upd\r\n";
      routes["/updates/" + base + ".upd"] = testing::Respond("200 OK", package(base));
      chosen.WriteBytes(base + ".upd", package(base));
    }
    routes["/updates/index.txt"] = testing::Respond("200 OK", index);
    testing::ScriptedHttpServer server(routes);
    testing::RecordingStatus status;
    testing::FakeMessages messages;
    testing::FakeShell shell;
    testing::FakeFolderChooser folders;
    folders.answer = chosen.root();
    std::vector<std::string> turns;  // each package's turn, as the window hears of it
    UpdatePorts ports{status, messages, shell, folders, nullptr, {}};
    ports.package_started = [&](bool downloading, const std::string& date, int number, int count) {
      turns.push_back((downloading ? "get " : "apply ") + date + " " + std::to_string(number) +
                      "/" + std::to_string(count));
    };
    UpdateSummary summary = RunUpdate(cat.root(), {local_mode, false, "", server.Url("/")}, ports,
                                      OpeningKeysFor(keys));
    EXPECT_EQ(summary.applied, 3);
    std::vector<std::string> expected_turns = {"apply 100407 1/3", "apply 050507 2/3",
                                               "apply 010607 3/3"};
    if (!local_mode) {
      expected_turns.insert(expected_turns.begin(),
                            {"get 010607 1/3", "get 050507 2/3", "get 100407 3/3"});
    }
    EXPECT_EQ(turns, expected_turns);
    EXPECT_EQ(cat.ReadBytes("Base/x.txt"), "upd010607");
    EXPECT_EQ(cat.ReadBytes("Base/log.txt"), "first\r\nupd100407\r\nupd050507\r\nupd010607\r\n");
  }
}

// The server chooses which names its index lists, never what lands in updates/ but packages:
// markers, journals and other files are not fetched, and a name is fetched once, whatever its
// letter case and however often it is listed. A server reached only through the proxy (a name
// no resolver knows) is reached that way.
TEST(RunUpdate, AnIndexGivesPackagesOnlyEachOnce) {
  const SealingKeys keys = NewSealingKeys();
  std::string index = "upd150107.new\r\nupd120307.progress\r\nbase.tkm\r\n";
  for (int i = 0; i < 2000; ++i) index += i % 2 ? "upd010207.upd\r\n" : "UPD010207.UPD\r\n";
  testing::ScriptedHttpServer proxy(
      {{"/updates/index.txt", testing::Respond("200 OK", index)},
       {"/updates/UPD010207.UPD", testing::Respond("200 OK", Package("upd010207", keys))},
       {"/updates/upd150107.new", testing::Respond("200 OK", "Made Up *\r\n")},
       {"/updates/upd120307.progress", testing::Respond("200 OK", "5\r\n")}});
  testing::TempCatalogue cat;
  testing::RecordingStatus status;
  testing::FakeMessages messages;
  testing::FakeShell shell;
  testing::FakeFolderChooser folders;
  UpdateOptions options{false, true, "127.0.0.1:" + std::to_string(proxy.port()),
                        "http://update.invalid/"};
  UpdateSummary summary = RunUpdate(
      cat.root(), options, {status, messages, shell, folders, nullptr, {}}, OpeningKeysFor(keys));
  EXPECT_EQ(summary.applied, 1);
  EXPECT_FALSE(summary.server_problem);
  std::vector<std::string> asked;  // the connection test sends no request
  for (const std::string& head : proxy.Requests()) {
    if (!head.empty()) asked.push_back(head.substr(0, head.find(" HTTP/")));
  }
  EXPECT_EQ(asked, (std::vector<std::string>{"GET http://update.invalid/updates/index.txt",
                                             "GET http://update.invalid/updates/index.sig",
                                             "GET http://update.invalid/updates/UPD010207.UPD"}));
  std::vector<std::string> names;
  for (const auto& [name, bytes] : testing::Snapshot(cat.Path("updates"))) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{"UPD010207.UPD", "index.cache", "upd010207.new",
                                             "update.lock"}));
}

// The updates folder as a link: the downloads go where a link that stays inside the catalogue
// leads, and the package applied there is known as applied by the next run; a link that leads
// out gets no download and no file, and each run says why. "@" in a status line stands for the
// catalogue folder.
TEST(RunUpdate, DownloadsFollowTheUpdatesFolderOnlyInside) {
  const SealingKeys keys = NewSealingKeys();
  const std::string refused =
      "Апдейты не скачаны: Не удалось открыть @/updates: путь ведет за пределы папки @";
  struct Case {
    const char* what;
    testing::Tree links;                         // made in the test's root
    std::vector<std::vector<std::string>> runs;  // the status lines of two runs
    std::vector<std::string> server_requests;    // of both runs
  } cases[] = {
      {"a link inside",
       {{"cat/Store/", ""}, {"cat/updates", "-> Store"}},
       {{"Скачиваем список апдейтов", "Скачиваем апдейт от 15.01.07", "Завершено", "",
         "Добавляем upd150107.new в @/updates/", "", "Установлено пакетов: 1"},
        {"Скачиваем список апдейтов", "Завершено", ""}},
       {"GET /updates/index.txt", "GET /updates/index.sig", "GET /updates/upd150107.upd",
        "GET /updates/index.txt", "GET /updates/index.sig"}},
      {"a link out", {{"cat/updates", "-> ../outside"}}, {{refused}, {refused}}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue temp;
    testing::Build(temp.root(), {{"outside/keep.txt", "K"}});
    testing::Build(temp.root(), c.links);
    const std::string catalogue = temp.Path("cat");
    testing::ScriptedHttpServer server(
        {{"/updates/index.txt", testing::Respond("200 OK", "upd150107.upd\r\n")},
         {"/updates/upd150107.upd", testing::Respond("200 OK", Package("upd150107", keys))}});
    testing::FakeMessages messages;
    testing::FakeShell shell;
    testing::FakeFolderChooser folders;
    for (const std::vector<std::string>& lines : c.runs) {
      testing::RecordingStatus status;
      RunUpdate(catalogue, {false, false, "", server.Url("/")},
                {status, messages, shell, folders, nullptr, {}}, OpeningKeysFor(keys));
      std::vector<std::string> expected;
      for (const std::string& line : lines) {
        expected.push_back(common::ReplaceAll(W(line), "@", catalogue));
      }
      EXPECT_EQ(status.lines, expected);
    }
    std::vector<std::string> asked;  // the connection test sends no request
    for (const std::string& head : server.Requests()) {
      if (!head.empty()) asked.push_back(head.substr(0, head.find(" HTTP/")));
    }
    EXPECT_EQ(asked, c.server_requests);
    EXPECT_EQ(testing::Snapshot(temp.Path("outside")), (testing::Tree{{"keep.txt", "K"}}));
  }
}

// What a run against a web server left: the lines, and how many packages were applied.
struct RunOutcome {
  std::vector<std::string> lines;
  int applied = 0;
  bool server_problem = false;
};

RunOutcome RunAgainst(const testing::TempCatalogue& cat, const std::string& servers,
                      const SealingKeys& keys, const std::atomic<bool>* cancel = nullptr,
                      std::function<void(std::uint64_t, std::uint64_t)> progress = {}) {
  testing::RecordingStatus status;
  testing::FakeMessages messages;
  testing::FakeShell shell;
  testing::FakeFolderChooser folders;
  UpdateSummary summary = RunUpdate(cat.root(), {false, false, "", servers},
                                    {status, messages, shell, folders, cancel, std::move(progress)},
                                    OpeningKeysFor(keys));
  return {status.lines, summary.applied, summary.server_problem.has_value()};
}

bool Has(const std::vector<std::string>& lines, const std::string& utf8) {
  return std::find(lines.begin(), lines.end(), W(utf8)) != lines.end();
}

// An update folder on nginx as a publisher lays it out: the index, its signature and the
// packages.
struct Publisher {
  explicit Publisher(const std::string& locations = "") : nginx(locations) {}
  bool ready() const { return nginx.running(); }
  void Publish(const std::string& index, const std::string& signature,
               const std::map<std::string, std::string>& packages) const {
    nginx.Put("updates/index.txt", index);
    if (!signature.empty()) nginx.Put("updates/index.sig", signature);
    for (const auto& [name, bytes] : packages) nginx.Put("updates/" + name, bytes);
  }
  std::string Url() const { return nginx.Url("/"); }
  // The requests served, "GET /updates/index.txt 200".
  std::vector<std::string> Served() const {
    std::vector<std::string> served;
    for (const testing::ServedRequest& request : nginx.Requests()) {
      served.push_back(request.line.substr(0, request.line.find(" HTTP/")) + " " +
                       std::to_string(request.status));
    }
    return served;
  }
  testing::NginxServer nginx;
};

std::string SignedFor(const std::string& index, const std::string& package, std::uint64_t serial,
                      std::int64_t expires, const SealingKeys& by) {
  IndexSignature what{serial,
                      static_cast<std::int64_t>(std::time(nullptr)),
                      expires,
                      {{"upd150107.upd", {package.size(), Sha256Hex(package)}}}};
  return SignIndex(index, what, by.secret_key);
}

#define SKIP_WITHOUT_NGINX() \
  if (!testing::NginxServer::Installed()) GTEST_SKIP() << "nginx is not installed"

// A signed index is taken only when it verifies, is no older than the newest the catalogue has
// seen and has not expired; after a signed one, an unsigned one is refused; a package whose bytes
// are not those signed is not kept.
TEST(RunUpdate, ASignedIndexCannotBeRolledBackFrozenDowngradedOrForged) {
  SKIP_WITHOUT_NGINX();
  const SealingKeys keys = NewSealingKeys();
  const std::string package = Package("upd150107", keys);
  const std::string index = "upd150107.upd\r\n";
  const auto now = static_cast<std::int64_t>(std::time(nullptr));
  auto signature = [&](std::uint64_t serial, std::int64_t expires, const std::string& bytes,
                       const SealingKeys& by) {
    return SignedFor(index, bytes, serial, expires, by);
  };
  struct Case {
    const char* what;
    std::string seen;       // updates/index.serial before the run; empty: none
    std::string signature;  // updates/index.sig on the server; empty: none
    std::string served;     // the package's bytes on the server
    const char* line;       // the line that says what happened, or null when it is applied
    std::string seen_after;
  };
  const Case cases[] = {
      {"signed", "", signature(200, now + 3600, package, keys), package, nullptr, "200\n"},
      {"newer than seen", "100\n", signature(200, now + 3600, package, keys), package, nullptr,
       "200\n"},
      {"unsigned, never signed before", "", "", package, nullptr, ""},
      {"rollback", "300\n", signature(200, now + 3600, package, keys), package,
       "Список апдейтов отклонен: он старше уже полученного (откат)", "300\n"},
      {"freeze", "", signature(200, now - 1, package, keys), package,
       "Список апдейтов отклонен: срок его действия истек", ""},
      {"downgrade", "100\n", "", package,
       "Список апдейтов отклонен: он не подписан, а прежние были подписаны", "100\n"},
      {"another publisher's", "", signature(200, now + 3600, package, NewSealingKeys()), package,
       "Список апдейтов отклонен: подпись не издателя", ""},
      {"a package not as signed", "", signature(200, now + 3600, package + "x", keys), package,
       "Не скачан: размер или хеш не те, что в подписанном списке", "200\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::TempCatalogue cat;
    if (!c.seen.empty()) cat.WriteText("updates/index.serial", c.seen);
    Publisher server;
    ASSERT_TRUE(server.ready());
    server.Publish(index, c.signature, {{"upd150107.upd", c.served}});
    RunOutcome run = RunAgainst(cat, server.Url(), keys);
    EXPECT_EQ(run.applied, c.line ? 0 : 1);
    if (c.line) {
      EXPECT_TRUE(Has(run.lines, c.line));
      EXPECT_FALSE(cat.Exists("updates/upd150107.upd"));
    }
    EXPECT_EQ(cat.Exists("updates/index.serial") ? cat.ReadBytes("updates/index.serial") : "",
              c.seen_after);
  }
}

// The index kept by a run is asked for again with its validators: the server answers 304 and
// sends nothing, and the kept index (its signature checked again) serves the run. A signature
// signed again beside an index that did not change (a server whose ETag is the content's hash
// answers "not modified" for the index) is fetched on its own validators: the next run takes
// it, with its new serial.
TEST(RunUpdate, AnIndexIsAskedForOnItsValidatorsAndItsSignatureOnItsOwn) {
  SKIP_WITHOUT_NGINX();
  const SealingKeys keys = NewSealingKeys();
  const std::string index = "upd150107.upd\r\n";
  const std::string package = Package("upd150107", keys);
  testing::TempCatalogue cat;
  Publisher server;
  ASSERT_TRUE(server.ready());
  server.Publish("", "", {{"upd150107.upd", package}});
  server.nginx.Put("updates/index.txt", index, 1'700'000'000);
  server.nginx.Put("updates/index.sig",
                   SignedFor(index, package, 7, std::time(nullptr) + 3600, keys), 1'700'000'000);
  EXPECT_EQ(RunAgainst(cat, server.Url(), keys).applied, 1);
  EXPECT_EQ(server.Served(),
            (std::vector<std::string>{"GET /updates/index.txt 200", "GET /updates/index.sig 200",
                                      "GET /updates/upd150107.upd 200"}));
  RunOutcome second = RunAgainst(cat, server.Url(), keys);
  EXPECT_EQ(second.applied, 0);
  EXPECT_FALSE(second.server_problem);
  EXPECT_EQ(server.Served(),
            (std::vector<std::string>{"GET /updates/index.txt 200", "GET /updates/index.sig 200",
                                      "GET /updates/upd150107.upd 200",
                                      "GET /updates/index.txt 304", "GET /updates/index.sig 304"}));
  EXPECT_EQ(cat.ReadBytes("updates/index.serial"), "7\n");
  server.nginx.Put("updates/index.sig",
                   SignedFor(index, package, 8, std::time(nullptr) + 7200, keys), 1'700'000'100);
  RunOutcome third = RunAgainst(cat, server.Url(), keys);
  EXPECT_FALSE(third.server_problem);
  EXPECT_EQ(cat.ReadBytes("updates/index.serial"), "8\n");
}

// Mirrors are tried in order: one that cannot be reached, answers with an error or serves an
// index that is not the publisher's gives way to the next, and the run says which one served.
// A package a mirror serves damaged, or not at all, comes from the next mirror.
TEST(RunUpdate, MirrorsAreTriedInOrderUntilOneServesASoundIndexAndPackages) {
  SKIP_WITHOUT_NGINX();
  const SealingKeys keys = NewSealingKeys();
  const std::string index = "upd150107.upd\r\n";
  const std::string package = Package("upd150107", keys);
  const std::string signature = SignedFor(index, package, 7, std::time(nullptr) + 3600, keys);
  Publisher failing("location /updates/ { return 503; }"), forged, damaged, sound;
  ASSERT_TRUE(failing.ready() && forged.ready() && damaged.ready() && sound.ready());
  forged.Publish(index, SignedFor(index, package, 7, std::time(nullptr) + 3600, NewSealingKeys()),
                 {{"upd150107.upd", package}});
  damaged.Publish(index, signature, {{"upd150107.upd", package.substr(1)}});
  sound.Publish(index, signature, {{"upd150107.upd", package}});
  const std::string mirrors = "http://127.0.0.1:9/ " + failing.Url() + " " + forged.Url() + " " +
                              damaged.Url() + " " + sound.Url();
  testing::TempCatalogue cat;
  RunOutcome run = RunAgainst(cat, mirrors, keys);
  EXPECT_EQ(run.applied, 1);
  EXPECT_FALSE(run.server_problem);
  int gave_way = 0;
  for (const std::string& line : run.lines) {
    if (line.ends_with(W("; пробуем следующее зеркало"))) ++gave_way;
  }
  EXPECT_EQ(gave_way, 4);  // three for the index, one for the package
  EXPECT_TRUE(Has(run.lines, "Список апдейтов получен с " + damaged.Url()));
  EXPECT_EQ(failing.Served(), (std::vector<std::string>{"GET /updates/index.txt 503"}));
  EXPECT_EQ(sound.Served(), (std::vector<std::string>{"GET /updates/upd150107.upd 200"}));
}

// A build with a publisher's own keys takes no unsigned index, even on the first run, when no
// signed one was seen yet: an attacker in the middle answering 404 for index.sig gets nothing in.
TEST(RunUpdate, AnUnsignedIndexIsRefusedWhereTheBuildRequiresASignedOne) {
  SKIP_WITHOUT_NGINX();
  const SealingKeys keys = NewSealingKeys();
  Publisher server;
  ASSERT_TRUE(server.ready());
  server.Publish("upd150107.upd\r\n", "", {{"upd150107.upd", Package("upd150107", keys)}});
  for (bool required : {true, false}) {
    SCOPED_TRACE(required ? "required" : "a plain index taken");
    testing::TempCatalogue cat;
    UpdateOptions options{false, false, "", server.Url()};
    options.require_signed_index = required;
    UpdateSummary summary = RunOnce(cat, options, keys).summary;
    EXPECT_EQ(summary.applied, required ? 0 : 1);
    EXPECT_EQ(summary.server_problem.has_value(), required);
  }
}

// What a server sends of a package is bounded by what the signed index says of it: a body longer
// than the signed size is cut there; a part left by a hostile mirror (junk under the sound
// mirror's ETag) that makes the resumed whole fail its hash is thrown away and the package is
// fetched again from byte 0.
TEST(RunUpdate, APackageIsTakenOnlyAsSigned) {
  SKIP_WITHOUT_NGINX();
  const SealingKeys keys = NewSealingKeys();
  const std::string index = "upd150107.upd\r\n";
  const std::string package = Package("upd150107", keys);
  const std::string signature = SignedFor(index, package, 7, std::time(nullptr) + 3600, keys);
  {
    SCOPED_TRACE("a body longer than signed");
    Publisher endless;
    ASSERT_TRUE(endless.ready());
    endless.Publish(index, signature, {{"upd150107.upd", package + std::string(4 << 20, 'x')}});
    testing::TempCatalogue cat;
    RunOutcome run = RunAgainst(cat, endless.Url(), keys);
    EXPECT_EQ(run.applied, 0);
    EXPECT_TRUE(
        Has(run.lines, "Не скачан: файл больше " + std::to_string(package.size()) + " байт"));
  }
  {
    SCOPED_TRACE("a poisoned part");
    Publisher sound;
    ASSERT_TRUE(sound.ready());
    sound.Publish(index, signature, {});
    const long mtime = 1'700'000'000;
    sound.nginx.Put("updates/upd150107.upd", package, mtime);
    char etag[64];
    std::snprintf(etag, sizeof etag, "\"%lx-%zx\"", mtime, package.size());
    testing::TempCatalogue cat;
    cat.WriteBytes("updates/upd150107.upd.part", std::string(package.size() / 2, 'j'));
    cat.WriteBytes("updates/upd150107.upd.part-version", etag);
    RunOutcome run = RunAgainst(cat, sound.Url(), keys);
    EXPECT_EQ(run.applied, 1);
    EXPECT_EQ(sound.Served(),
              (std::vector<std::string>{"GET /updates/index.txt 200", "GET /updates/index.sig 200",
                                        "GET /updates/upd150107.upd 206",
                                        "GET /updates/upd150107.upd 200"}));
  }
}

// A package download cut short is resumed by the next run where it stopped, whichever mirror
// serves it, and the package applies.
TEST(RunUpdate, ACutDownloadIsResumedByTheNextRun) {
  SKIP_WITHOUT_NGINX();
  const SealingKeys keys = NewSealingKeys();
  // Large enough to be cut: a payload that does not compress.
  std::mt19937 random(1);
  std::string payload(1 << 20, '\0');
  for (char& byte : payload) byte = static_cast<char>(random());
  const std::string package =
      SealPackage(testing::MakeZip({{"upd.tkm", "ADDFILE upd150107.new TO updates\\\r\n"},
                                    {"upd150107.new", payload}}),
                  "upd150107.upd", keys);
  const std::string index = "upd150107.upd\r\n";
  Publisher server("location /updates/upd150107.upd { limit_rate_after 300k; limit_rate 256k; }");
  ASSERT_TRUE(server.ready());
  server.Publish(index, SignedFor(index, package, 7, std::time(nullptr) + 3600, keys),
                 {{"upd150107.upd", package}});
  testing::TempCatalogue cat;
  std::atomic<bool> cancel = false;
  RunOutcome cut =
      RunAgainst(cat, server.Url(), keys, &cancel, [&](std::uint64_t received, std::uint64_t) {
        if (received >= 300'000) cancel = true;
      });
  EXPECT_EQ(cut.applied, 0);
  ASSERT_TRUE(cat.Exists("updates/upd150107.upd.part"));
  const std::size_t kept = cat.ReadBytes("updates/upd150107.upd.part").size();
  RunOutcome resumed = RunAgainst(cat, server.Url(), keys);
  EXPECT_EQ(resumed.applied, 1);
  EXPECT_EQ(cat.ReadBytes("updates/upd150107.new"), payload);
  EXPECT_FALSE(cat.Exists("updates/upd150107.upd.part"));
  // The one answer with a part of the package; the cancelled request may be logged after it.
  const auto requests = server.nginx.Requests();
  const auto partial =
      std::find_if(requests.begin(), requests.end(),
                   [](const testing::ServedRequest& r) { return r.status == 206; });
  ASSERT_NE(partial, requests.end());
  EXPECT_EQ(partial->body_bytes, static_cast<long>(package.size() - kept));
}

// A run killed while it held a decrypted package leaves its private folder; the next run
// removes the folders whose process is gone, and no other.
TEST(RunUpdate, SweepsTheWorkingFoldersOfKilledRuns) {
  testing::TempCatalogue cat, tmp;
  const std::string mine = "trubkom-update-" + std::to_string(::getpid()) + "-a";
  tmp.WriteText("trubkom-update-999999999-b/upd.tkm", "x");
  tmp.WriteText(mine + "/upd.tkm", "x");
  tmp.WriteText("other-999999999-c/f", "x");
  std::string saved = getenv("TMPDIR") ? getenv("TMPDIR") : "";
  ::setenv("TMPDIR", tmp.root().c_str(), 1);
  testing::RecordingStatus status;
  testing::FakeMessages messages;
  testing::FakeShell shell;
  testing::FakeFolderChooser folders;
  RunUpdate(cat.root(), {true, false, "", "http://update.invalid/"},
            {status, messages, shell, folders, nullptr, {}});
  saved.empty() ? ::unsetenv("TMPDIR") : ::setenv("TMPDIR", saved.c_str(), 1);
  EXPECT_FALSE(tmp.Exists("trubkom-update-999999999-b"));
  EXPECT_TRUE(tmp.Exists(mine + "/upd.tkm"));
  EXPECT_TRUE(tmp.Exists("other-999999999-c/f"));
}

TEST(ShowLastUpdate, NewestByYearThenMonthThenDay) {
  struct {
    std::vector<std::string> packages;
    std::string line;
  } cases[] = {
      {{}, "Обновлений не проводилось"},
      {{"upd151207.upd"}, "Последнее обновление от 15.12.07"},
      {{"upd311207.upd", "upd010208.upd"}, "Последнее обновление от 01.02.08"},
      {{"upd010199.upd", "upd311205.upd"}, "Последнее обновление от 01.01.99"},
      {{"upd151207.new"}, "Обновлений не проводилось"},
  };
  for (const auto& c : cases) {
    testing::TempCatalogue cat;
    for (const std::string& name : c.packages) cat.WriteText("updates/" + name, "x");
    testing::RecordingStatus status;
    ShowLastUpdate(cat.root(), status);
    EXPECT_EQ(status.lines, std::vector<std::string>{W(c.line)});
  }
}

}  // namespace
}  // namespace trubkom::update
