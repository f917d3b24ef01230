// Downloading 20 update packages of 2 MB from a real HTTP server on the loopback interface
// (Python's http.server, started here) with GetInetFile, beside the curl command fetching the
// same 20 files in one run. A third benchmark writes the same files from memory flushed to disk
// (temporary file, fsync, rename): what a download would cost if it were flushed, which it is not
// (a package cut short by a crash fails verification and is fetched again).
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "common/atomic_file.h"
#include "common/line_file.h"
#include "common/private_folder.h"
#include "support/core_helpers.h"
#include "update/download.h"

extern char** environ;

namespace {

using namespace trubkom;
namespace fs = std::filesystem;

constexpr int kPackages = 20;
constexpr std::size_t kPackageBytes = 2'000'000;

int FreeLoopbackPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ::bind(fd, reinterpret_cast<sockaddr*>(&address), length);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(fd);
  return ntohs(address.sin_port);
}

// Runs argv with its output thrown away; the child's id, or -1.
pid_t Start(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

bool Run(const std::vector<std::string>& arguments) {
  int status = 0;
  pid_t pid = Start(arguments);
  return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
         WEXITSTATUS(status) == 0;
}

struct Fixture {
  common::PrivateFolder root{"trubkom-bench-download-"};
  std::vector<std::string> names, served;  // package names and their bytes
  std::string base;                        // "http://127.0.0.1:<port>/updates/"
  pid_t server = -1;

  Fixture() {
    std::mt19937_64 random(2026);
    fs::create_directories(root.path() + "/server/updates");
    for (int i = 0; i < kPackages; ++i) {
      names.push_back("upd" + std::to_string(100127 + i * 10000) + ".upd");
      std::string bytes(kPackageBytes, '\0');
      for (char& c : bytes) c = static_cast<char>(random());
      served.push_back(bytes);
      if (!common::ReplaceFileAtomically(root.path() + "/server/updates/" + names.back(), bytes)) {
        throw std::runtime_error("cannot write the served files");
      }
    }
    const int port = FreeLoopbackPort();
    base = "http://127.0.0.1:" + std::to_string(port) + "/updates/";
    server = Start({"python3", "-m", "http.server", "--bind", "127.0.0.1", "--directory",
                    root.path() + "/server", std::to_string(port)});
    for (int attempt = 0; attempt < 200; ++attempt) {
      if (testing::AcceptsConnections(base)) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    throw std::runtime_error("the HTTP server did not start");
  }

  ~Fixture() {
    if (server <= 0) return;
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
  }

  // A fresh empty folder for one round of downloads.
  std::string NewFolder(const std::string& name) const {
    std::string folder = root.path() + "/" + name;
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
  }

  bool Download(const std::string& folder) const {
    bool ok = true;
    for (const std::string& name : names) {
      ok = update::GetInetFile(base + name, folder + "/" + name, "", false).ok() && ok;
    }
    return ok;
  }

  bool Curl(const std::string& folder) const {
    std::vector<std::string> command = {"curl", "--silent", "--fail", "--noproxy", "*"};
    for (const std::string& name : names) {
      command.insert(command.end(), {"--output", folder + "/" + name, base + name});
    }
    return Run(command);
  }

  bool WriteDurably(const std::string& folder) const {
    bool ok = true;
    for (int i = 0; i < kPackages; ++i) {
      common::PendingFile file(folder + "/" + names[i]);
      ok = file.Write(served[i]).ok() && file.Commit(/*sync_folder=*/false).ok() && ok;
    }
    return ok;
  }

  bool HoldsAll(const std::string& folder) const {
    for (int i = 0; i < kPackages; ++i) {
      if (common::ReadFile(folder + "/" + names[i]).value_or("") != served[i]) return false;
    }
    return true;
  }
};

const Fixture& Setup() {
  static const Fixture fixture;
  return fixture;
}

template <bool (Fixture::*Make)(const std::string&) const>
void TwentyFiles(benchmark::State& state) {
  const Fixture& fixture = Setup();
  std::string folder = fixture.NewFolder("downloads");
  if (!(fixture.*Make)(folder) || !fixture.HoldsAll(folder)) {
    state.SkipWithError("the files made differ from the served ones");
    return;
  }
  for (auto _ : state) {
    state.PauseTiming();
    folder = fixture.NewFolder("downloads");
    state.ResumeTiming();
    benchmark::DoNotOptimize((fixture.*Make)(folder));
  }
  state.SetBytesProcessed(state.iterations() * kPackages * kPackageBytes);
}

void GetInetFile20(benchmark::State& state) { TwentyFiles<&Fixture::Download>(state); }
void CurlCommand20(benchmark::State& state) { TwentyFiles<&Fixture::Curl>(state); }
void DurableWrite20(benchmark::State& state) { TwentyFiles<&Fixture::WriteDurably>(state); }

BENCHMARK(GetInetFile20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(CurlCommand20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(DurableWrite20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
