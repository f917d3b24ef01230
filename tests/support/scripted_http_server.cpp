#include "support/scripted_http_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

namespace trubkom::testing {

namespace {

constexpr int kPollMs = 20;

int BindLoopback(int port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

int PortOf(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

// Waits up to one poll period for fd to become readable (or writable).
bool Ready(int fd, short events) {
  pollfd watched{fd, events, 0};
  return ::poll(&watched, 1, kPollMs) > 0;
}
bool Readable(int fd) { return Ready(fd, POLLIN); }

// The path of "GET <path> HTTP/1.1", or of "GET http://host:port<path> ..." as a proxy sends it.
std::string RequestPath(const std::string& head) {
  std::size_t start = head.find(' ') + 1;
  std::string target = head.substr(start, head.find(' ', start) - start);
  if (target.starts_with("http://")) {
    std::size_t slash = target.find('/', 7);
    target = slash == std::string::npos ? "/" : target.substr(slash);
  }
  return target;
}

}  // namespace

ScriptedResponse Respond(std::string_view status, std::string body,
                         std::string_view extra_headers) {
  std::string head = "HTTP/1.1 " + std::string(status) +
                     "\r\nContent-Length: " + std::to_string(body.size()) +
                     "\r\nConnection: close\r\n" + std::string(extra_headers) + "\r\n";
  return {head, std::move(body)};
}

ScriptedHttpServer::ScriptedHttpServer(std::map<std::string, ScriptedResponse> routes)
    : routes_(std::move(routes)) {
  listener_ = BindLoopback(0);
  ::listen(listener_, 16);
  port_ = PortOf(listener_);
  acceptor_ = std::thread([this] { Accept(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
  stopping_ = true;
  acceptor_.join();
  for (std::thread& connection : connections_) connection.join();
  ::close(listener_);
}

std::string ScriptedHttpServer::Url(std::string_view path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> ScriptedHttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void ScriptedHttpServer::Accept() {
  while (!stopping_) {
    if (!Readable(listener_)) continue;
    int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection >= 0) connections_.emplace_back([this, connection] { Serve(connection); });
  }
}

bool ScriptedHttpServer::Send(int connection, std::string_view bytes) const {
  // Never blocks for long, so a client that stops reading cannot hold up the server's end.
  while (!bytes.empty() && !stopping_) {
    if (!Ready(connection, POLLOUT)) continue;
    ssize_t sent = ::send(connection, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent < 0 && errno == EAGAIN) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return !stopping_;
}

void ScriptedHttpServer::Serve(int connection) {
  std::string head;
  char buffer[4096];
  while (!stopping_ && head.find("\r\n\r\n") == std::string::npos) {
    if (!Readable(connection)) continue;
    ssize_t got = ::recv(connection, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    head.append(buffer, static_cast<std::size_t>(got));
  }
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(head);
  }
  auto route = routes_.find(RequestPath(head));
  const ScriptedResponse response =
      route != routes_.end() ? route->second : Respond("404 Not Found", "missing");
  bool open = Send(connection, response.head) && Send(connection, response.body);
  if (response.then == Then::kStall) {
    // Holds the connection until the client gives up (its end closes: readable, 0 bytes).
    while (open && !stopping_) {
      if (Readable(connection)) open = ::recv(connection, buffer, sizeof buffer, 0) > 0;
    }
  }
  if (response.then == Then::kEndless) {
    const std::string chunk(64 * 1024, 'x');
    while (open) open = Send(connection, chunk);
  }
  while (open && response.then == Then::kDrip) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    open = Send(connection, "xx");
  }
  if (response.then == Then::kReset) {
    linger abort_on_close{1, 0};
    ::setsockopt(connection, SOL_SOCKET, SO_LINGER, &abort_on_close, sizeof abort_on_close);
  }
  ::close(connection);
}

int FreeLoopbackPort() {
  int fd = BindLoopback(0);
  int port = PortOf(fd);
  ::close(fd);
  return port;
}

}  // namespace trubkom::testing
