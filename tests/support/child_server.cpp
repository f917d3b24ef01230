#include "support/child_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "support/core_helpers.h"

extern char** environ;

namespace trubkom::testing {

std::string FindProgram(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(std::string(path ? path : "") + ":/usr/sbin:/usr/bin:/sbin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    std::string candidate = folder + "/" + program;
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

bool ChildServer::Start(const std::vector<std::string>& argv, const std::string& log,
                        const std::string& http_address) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  for (int attempt = 0; pid_ > 0 && attempt < 100; ++attempt) {
    if (AcceptsConnections(http_address)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void ChildServer::Stop() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace trubkom::testing
