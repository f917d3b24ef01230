#include "support/tinyproxy_process.h"

#include <fstream>
#include <string>

#include "support/child_server.h"
#include "support/scripted_http_server.h"

namespace trubkom::testing {

TinyproxyProcess::TinyproxyProcess() : program_(FindProgram("tinyproxy")) {
  if (!available() || !folder_.ok()) return;
  port_ = FreeLoopbackPort();
  const std::string config = folder_.path() + "/tinyproxy.conf";
  std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nAllow 127.0.0.1\n"
                        << "PidFile \"" << folder_.path() << "/tinyproxy.pid\"\n"
                        << "ViaProxyName \"" << kViaName << "\"\nMaxClients 20\nTimeout 30\n";
  // Its log goes to its standard error (-d keeps it in the foreground): into the folder.
  running_ = server_.Start({program_, "-d", "-c", config}, folder_.path() + "/tinyproxy.log",
                           "http://" + address() + "/");
}

std::string TinyproxyProcess::address() const { return "127.0.0.1:" + std::to_string(port_); }

}  // namespace trubkom::testing
