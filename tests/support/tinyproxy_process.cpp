#include "support/tinyproxy_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/scripted_http_server.h"
#include "update/download.h"

extern char** environ;

namespace trubkom::testing {

namespace {

// The full path of program in PATH or the system folders, or empty text.
std::string FindProgram(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(std::string(path ? path : "") + ":/usr/sbin:/usr/bin:/sbin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    std::string candidate = folder + "/" + program;
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

}  // namespace

TinyproxyProcess::TinyproxyProcess() : program_(FindProgram("tinyproxy")) {
  if (!available() || !folder_.ok()) return;
  port_ = FreeLoopbackPort();
  const std::string config = folder_.path() + "/tinyproxy.conf";
  std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                        << "PidFile \"" << folder_.path() << "/tinyproxy.pid\"\n"
                        << "ViaProxyName \"" << kViaName << "\"\nMaxClients 20\nTimeout 30\n";
  // Its log goes to its standard error (-d keeps it in the foreground): into the folder.
  const std::string log = folder_.path() + "/tinyproxy.log";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const char* argv[] = {program_.c_str(), "-d", "-c", config.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, program_.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) ==
      0) {
    pid_ = pid;
  }
  posix_spawn_file_actions_destroy(&actions);
  for (int attempt = 0; pid_ > 0 && attempt < 100 && !running_; ++attempt) {
    running_ = update::IsConnectedToInternet("http://" + address() + "/");
    if (!running_) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TinyproxyProcess::~TinyproxyProcess() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

std::string TinyproxyProcess::address() const { return "127.0.0.1:" + std::to_string(port_); }

}  // namespace trubkom::testing
