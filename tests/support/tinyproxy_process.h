#pragma once

#include <string>

#include "common/private_folder.h"
#include "support/child_server.h"

namespace trubkom::testing {

// Debian's tinyproxy, started as a child process on 127.0.0.1 at a free port with a config of
// its own in a private folder (no system logs, no pid file outside it), and stopped when the
// object goes. available() is false when tinyproxy is not installed.
class TinyproxyProcess {
 public:
  // The name the proxy gives itself in the Via header of the requests it passes on.
  static constexpr const char* kViaName = "trubkom-test-proxy";

  TinyproxyProcess();
  TinyproxyProcess(const TinyproxyProcess&) = delete;
  TinyproxyProcess& operator=(const TinyproxyProcess&) = delete;

  bool available() const { return !program_.empty(); }
  // True once the proxy accepts connections.
  bool running() const { return running_; }
  // "127.0.0.1:<port>", as a proxy edit box holds it.
  std::string address() const;

 private:
  common::PrivateFolder folder_{"trubkom-proxy-"};
  std::string program_;
  int port_ = 0;
  bool running_ = false;
  ChildServer server_;
};

}  // namespace trubkom::testing
