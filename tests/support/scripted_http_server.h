#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trubkom::testing {

// What the server does once the head and the body of a response are sent.
enum class Then {
  kClose,    // closes the connection
  kStall,    // keeps the connection open and sends nothing more
  kEndless,  // goes on sending bytes for as long as the client reads
  kDrip,     // goes on sending two bytes every tenth of a second, for as long as the client reads
  kReset,    // resets the connection (TCP RST)
};

// One scripted answer: the head (status line and headers) and body go out as given, however
// wrong they are.
struct ScriptedResponse {
  std::string head;
  std::string body;
  Then then = Then::kClose;
};

// "HTTP/1.1 <status>" with the body's Content-Length and Connection: close, then the extra
// header lines (each ending in "\r\n").
ScriptedResponse Respond(std::string_view status, std::string body,
                         std::string_view extra_headers = "");

// An HTTP server on 127.0.0.1 at a free port, answering each request path with its scripted
// response (and "404 Not Found" otherwise), one request per connection, each on a thread of its
// own so a stalling answer holds up nothing else. It stops when the object goes.
class ScriptedHttpServer {
 public:
  explicit ScriptedHttpServer(std::map<std::string, ScriptedResponse> routes);
  ~ScriptedHttpServer();
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(std::string_view path) const;
  // The heads of the requests received so far (request line and headers).
  std::vector<std::string> Requests() const;

 private:
  void Accept();
  void Serve(int connection);
  bool Send(int connection, std::string_view bytes) const;

  std::map<std::string, ScriptedResponse> routes_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::thread> connections_;
  std::thread acceptor_;
};

// A TCP port on 127.0.0.1 that was free a moment ago (for servers started as other processes).
int FreeLoopbackPort();

}  // namespace trubkom::testing
