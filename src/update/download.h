#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "common/file_at.h"
#include "common/result.h"

namespace trubkom::update {

// How one download may be watched, stopped and bounded. The defaults suit the update server;
// tests lower the limits.
struct DownloadControl {
  // When set and it turns true, the download stops (within about a second) and fails.
  const std::atomic<bool>* cancel = nullptr;
  // Called on the downloading thread as bytes arrive; total is 0 while the size is unknown.
  std::function<void(std::uint64_t received, std::uint64_t total)> progress;
  // Longest wait for the connection to the server (or the proxy).
  std::chrono::milliseconds connect_timeout{10'000};
  // A transfer that brings less than stall_bytes_per_second * stall_time bytes in any window of
  // stall_time has stalled, and so has one still arriving after total_time: a server dripping
  // bytes costs a run a minute, not half an hour. Packages are a few megabytes; a line that cannot
  // bring 4 KB a second could not bring them either.
  long stall_bytes_per_second = 4096;
  std::chrono::seconds stall_time{60};
  std::chrono::seconds total_time{30 * 60};
  // Largest body accepted, whether the server announces its length or not.
  std::uint64_t max_bytes = std::uint64_t{512} << 20;
  // Redirects followed, to http or https addresses only.
  long max_redirects = 5;
};

// Whether the run can go online, the way its downloads will go: through the proxy "host:port"
// when use_proxy is set (the proxy accepting a connection is being online), else straight to
// server_base's host, where only a network that cannot be reached (no name resolution, no
// route, no answer in time) is being offline; a host that refuses the connection is online,
// and its downloads then fail with their own reasons. The error says why the run is offline.
common::Status CheckConnection(const std::string& server_base, const std::string& proxy,
                               bool use_proxy,
                               std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Downloads address (http or https) to local_path, through the HTTP proxy "host:port" in proxy
// when use_proxy is set (never through a proxy otherwise, whatever the environment says). The
// body goes to a temporary file in local_path's folder that is renamed onto local_path only
// when all of it has arrived with a success status (2xx) at the end of at most max_redirects
// redirects. Any failure or cancel leaves no new file (a file that was at local_path before
// stays as it was) and says why: kNetwork for the server or proxy, kMissing when it answered
// that the file is not there (404, 410), kTooLarge, kCancelled, or the reason the file could not
// be written.
common::Status GetInetFile(const std::string& address, const std::string& local_path,
                           const std::string& proxy, bool use_proxy,
                           const DownloadControl& control = {});
// The same into a file of a folder held open: the temporary file is made and renamed in that
// folder, whatever its path leads to by then.
common::Status GetInetFile(const std::string& address, const common::FileAt& local_file,
                           const std::string& proxy, bool use_proxy,
                           const DownloadControl& control = {});

// What a server said of a file's version (its ETag and Last-Modified headers, as given), to ask
// next time whether the file changed.
struct Validators {
  std::string etag;
  std::string last_modified;
};

// As GetInetFile, but asks the server to send the file only when it changed since the version
// known (If-None-Match, If-Modified-Since): false, with nothing written, when it answered 304 Not
// Modified; true, with the new file in place and known updated to its version, otherwise.
common::Result<bool> GetInetFileIfChanged(const std::string& address,
                                          const common::FileAt& local_file,
                                          const std::string& proxy, bool use_proxy,
                                          Validators& known, const DownloadControl& control = {});

// As GetInetFile, but a download cut short (the connection lost, a cancel, the process killed)
// keeps what arrived beside the file, in "<name>.part", with the validator the server gave for
// that version of the file (its ETag, else its Last-Modified) in "<name>.part-version". The
// next call asks only for the rest, with If-Range: the server sends the whole file instead when
// it changed or it ignores ranges, and the part starts over. A part kept is for the caller to
// check once whole (a signed hash): a server may change a file without changing its validator.
// A failure for another reason (the file missing, too large) removes the part.
common::Status GetInetFileResuming(const std::string& address, const common::FileAt& local_file,
                                   const std::string& proxy, bool use_proxy,
                                   const DownloadControl& control = {});

}  // namespace trubkom::update
