#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/private_folder.h"
#include "support/child_server.h"

namespace trubkom::testing {

// One request as the server logged it.
struct ServedRequest {
  std::string line;  // "GET /updates/index.txt HTTP/1.1"
  int status = 0;    // 200, 206, 304, ...
  long body_bytes = 0;
  std::string range;  // the Range header asked with, or "-"
};

// Debian's nginx as a static web server of the files under root(), as a publisher serves an
// update folder: ranges, ETag and Last-Modified as nginx gives them. It runs on 127.0.0.1 at a
// free port, in the foreground as one process, with its configuration, logs and temporary
// folders in a private folder, and stops when the object goes. available() is false when nginx
// is not installed.
class NginxServer {
 public:
  // locations: configuration text put into the server block as it stands, for the paths
  // served otherwise ("location /x/ { return 503; }").
  explicit NginxServer(const std::string& locations = "");

  bool available() const { return !program_.empty(); }
  // Whether nginx is installed, without starting it.
  static bool Installed();
  bool running() const { return running_; }
  // The folder served: its files are "http://127.0.0.1:<port>/<path in root>".
  const std::string& root() const { return root_; }
  // Writes a file under root, making its folders; its modification time is set to mtime (seconds
  // since 1970) when given, as a publisher's copy would keep it.
  void Put(const std::string& path, std::string_view bytes, long mtime = 0) const;
  // "http://127.0.0.1:<port>" + path.
  std::string Url(std::string_view path) const;
  // The requests served so far, oldest first. A request the client gave up on is logged only
  // once nginx notices, which may be after later ones.
  std::vector<ServedRequest> Requests() const;
  // The same once at least count requests are logged (or after ten seconds).
  std::vector<ServedRequest> RequestsOnceLogged(std::size_t count) const;

 private:
  common::PrivateFolder folder_{"trubkom-nginx-"};
  std::string program_;
  std::string root_;
  int port_ = 0;
  bool running_ = false;
  ChildServer server_;
};

}  // namespace trubkom::testing
