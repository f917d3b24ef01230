#pragma once

#include <string>
#include <vector>

namespace trubkom::testing {

// The full path of program in PATH or the system folders, or empty text.
std::string FindProgram(const std::string& program);

// A server program the tests start as a child process in the foreground, its standard output
// and error going to log, and stop (SIGTERM) when the object goes.
class ChildServer {
 public:
  ChildServer() = default;
  ~ChildServer() { Stop(); }
  ChildServer(const ChildServer&) = delete;
  ChildServer& operator=(const ChildServer&) = delete;

  // Starts argv (argv[0] a full path) and waits until http_address ("http://host:port/")
  // accepts connections; false when it does not within five seconds.
  bool Start(const std::vector<std::string>& argv, const std::string& log,
             const std::string& http_address);
  void Stop();

 private:
  int pid_ = -1;
};

}  // namespace trubkom::testing
