#include "support/nginx_server.h"

#include <sys/stat.h>
#include <utime.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/scripted_http_server.h"

namespace trubkom::testing {

NginxServer::NginxServer(const std::string& locations) : program_(FindProgram("nginx")) {
  if (!available() || !folder_.ok()) return;
  const std::string& dir = folder_.path();
  root_ = dir + "/root";
  std::filesystem::create_directories(root_);
  port_ = FreeLoopbackPort();
  // One process, no master switching users: it reads the private folder as its owner.
  std::ofstream(dir + "/nginx.conf")
      << "daemon off;\nmaster_process off;\nworker_processes 1;\npid " << dir << "/nginx.pid;\n"
      << "error_log " << dir << "/error.log;\nevents { worker_connections 64; }\nhttp {\n"
      << "  log_format requests '$request\\t$status\\t$body_bytes_sent\\t$http_range';\n"
      << "  access_log " << dir << "/access.log requests;\n"
      << "  client_body_temp_path " << dir << "/body;\n  proxy_temp_path " << dir << "/proxy;\n"
      << "  fastcgi_temp_path " << dir << "/fastcgi;\n  uwsgi_temp_path " << dir << "/uwsgi;\n"
      << "  scgi_temp_path " << dir << "/scgi;\n"
      << "  server {\n    listen 127.0.0.1:" << port_ << ";\n    root " << root_ << ";\n"
      << "    " << locations << "\n  }\n}\n";
  running_ =
      server_.Start({program_, "-e", dir + "/error.log", "-p", dir, "-c", dir + "/nginx.conf"},
                    dir + "/nginx.out", Url("/"));
}

bool NginxServer::Installed() { return !FindProgram("nginx").empty(); }

void NginxServer::Put(const std::string& path, std::string_view bytes, long mtime) const {
  const std::filesystem::path file = root_ + "/" + path;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
  if (mtime > 0) {
    struct utimbuf times {
      mtime, mtime
    };
    ::utime(file.c_str(), &times);
  }
}

std::string NginxServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<ServedRequest> NginxServer::Requests() const {
  std::vector<ServedRequest> requests;
  std::ifstream log(folder_.path() + "/access.log");
  for (std::string line; std::getline(log, line);) {
    std::stringstream fields(line);
    ServedRequest request;
    std::string status, bytes;
    std::getline(fields, request.line, '\t');
    std::getline(fields, status, '\t');
    std::getline(fields, bytes, '\t');
    std::getline(fields, request.range);
    request.status = std::atoi(status.c_str());
    request.body_bytes = std::atol(bytes.c_str());
    requests.push_back(request);
  }
  return requests;
}

std::vector<ServedRequest> NginxServer::RequestsOnceLogged(std::size_t count) const {
  std::vector<ServedRequest> requests = Requests();
  for (int tries = 0; requests.size() < count && tries < 1000; ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    requests = Requests();
  }
  return requests;
}

}  // namespace trubkom::testing
