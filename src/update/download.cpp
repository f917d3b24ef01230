#include "update/download.h"

#include <curl/curl.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/encoding.h"

namespace trubkom::update {

using namespace common::literals;

namespace {

constexpr const char* kAllowedProtocols = "http,https";

void InitialiseCurlOnce() {
  // curl_global_init must run once before any handle is made, and not on two threads at once.
  static const bool initialised = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  (void)initialised;
}

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using CurlHandle = std::unique_ptr<CURL, CurlDeleter>;
using CurlUrl = std::unique_ptr<CURLU, CurlDeleter>;

CurlHandle NewHandle() {
  InitialiseCurlOnce();
  CurlHandle handle(curl_easy_init());
  if (handle) curl_easy_setopt(handle.get(), CURLOPT_NOSIGNAL, 1L);  // safe off the main thread
  return handle;
}

// One part of a parsed address, or empty text.
std::string UrlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
  char* text = nullptr;
  if (curl_url_get(url, part, &text, flags) != CURLUE_OK) return "";
  std::string result = text;
  curl_free(text);
  return result;
}

// What the callbacks of one transfer share.
struct Transfer {
  common::PendingFile* file;
  const DownloadControl* control;
  std::uint64_t received = 0;
  std::uint64_t reported = 0;  // received when progress was last called
  bool too_large = false;
  std::optional<common::Error> write_error = std::nullopt;
};

bool Cancelled(const Transfer& transfer) {
  return transfer.control->cancel != nullptr && transfer.control->cancel->load();
}

// Counts the bytes itself: a body without a length (or with a false one) is capped here.
std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  transfer.received += bytes;
  // Any count but bytes aborts the transfer.
  if (transfer.received > transfer.control->max_bytes) {
    transfer.too_large = true;
    return 0;
  }
  if (Cancelled(transfer)) return 0;
  if (common::Status written = transfer.file->Write(std::string_view(data, bytes)); !written) {
    transfer.write_error = written.error();
    return 0;
  }
  return bytes;
}

// Called often while the transfer lasts, also while no byte arrives, so a cancel is seen soon.
int WatchTransfer(void* user, curl_off_t total, curl_off_t, curl_off_t, curl_off_t) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (Cancelled(transfer)) return 1;
  if (transfer.control->progress && transfer.received != transfer.reported) {
    transfer.reported = transfer.received;
    transfer.control->progress(transfer.received, total > 0 ? std::uint64_t(total) : 0);
  }
  return 0;
}

void SetLimits(CURL* handle, const DownloadControl& control) {
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(handle, CURLOPT_MAXREDIRS, control.max_redirects);
  curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, long(control.connect_timeout.count()));
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, control.stall_bytes_per_second);
  curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, long(control.stall_time.count()));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, long(control.total_time.count()));
  // The proxy is the one the user ticked or none: the environment's proxy settings (http_proxy,
  // no_proxy, ...) are never used, either to add a proxy or to go around the chosen one.
  curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(control.max_bytes));
}

common::Error NetworkError(const std::string& utf8) {
  return {common::ErrorCode::kNetwork, common::Cp1251FromUtf8(utf8)};
}

// Why a transfer failed, in the user's words.
common::Error TransferError(CURL* handle, CURLcode code, const Transfer& transfer, bool use_proxy) {
  if (transfer.write_error) return *transfer.write_error;
  if (Cancelled(transfer)) {
    return {common::ErrorCode::kCancelled, std::string("загрузка прервана"_cp1251)};
  }
  if (transfer.too_large || code == CURLE_FILESIZE_EXCEEDED) {
    return {common::ErrorCode::kTooLarge,
            common::Cp1251FromUtf8("файл больше " +
                                   std::to_string(transfer.control->max_bytes >> 20) + " МБ")};
  }
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  switch (code) {
    case CURLE_OK:
    case CURLE_HTTP_RETURNED_ERROR: {
      common::Error error = NetworkError("сервер ответил ошибкой " + std::to_string(status));
      // The server says the file is not there: for a file that may be absent, not a failure.
      if (status == 404 || status == 410) error.code = common::ErrorCode::kMissing;
      return error;
    }
    case CURLE_COULDNT_RESOLVE_PROXY:
      return NetworkError("адрес прокси-сервера не найден");
    case CURLE_COULDNT_RESOLVE_HOST:
      return NetworkError("адрес сервера не найден");
    case CURLE_COULDNT_CONNECT:
      return NetworkError(use_proxy ? "прокси-сервер не принимает соединение"
                                    : "сервер не принимает соединение");
    case CURLE_OPERATION_TIMEDOUT:
      return NetworkError("сервер не ответил вовремя");
    default:
      return NetworkError(curl_easy_strerror(code));
  }
}

// The "http://host:port/" of server_base's host and port (80 or 443 unless named), or empty
// text for an address that is no http or https address.
std::string HostAndPort(const std::string& server_base) {
  CurlUrl url(curl_url());
  if (!url || curl_url_set(url.get(), CURLUPART_URL, server_base.c_str(), 0) != CURLUE_OK) {
    return {};
  }
  const std::string scheme = UrlPart(url.get(), CURLUPART_SCHEME);
  if (scheme != "http" && scheme != "https") return {};
  return "http://" + UrlPart(url.get(), CURLUPART_HOST) + ":" +
         UrlPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT) + "/";
}

// Tries a TCP connection to target ("http://host:port/") and nothing more, never through a
// proxy; the system's errno of a failed connection goes to os_errno.
CURLcode ConnectOnly(const std::string& target, std::chrono::milliseconds timeout, long& os_errno) {
  CurlHandle handle = NewHandle();
  if (!handle) return CURLE_FAILED_INIT;
  curl_easy_setopt(handle.get(), CURLOPT_URL, target.c_str());
  curl_easy_setopt(handle.get(), CURLOPT_CONNECT_ONLY, 1L);
  curl_easy_setopt(handle.get(), CURLOPT_PROXY, "");
  curl_easy_setopt(handle.get(), CURLOPT_CONNECTTIMEOUT_MS, long(timeout.count()));
  curl_easy_setopt(handle.get(), CURLOPT_TIMEOUT_MS, long(timeout.count()));
  CURLcode code = curl_easy_perform(handle.get());
  curl_easy_getinfo(handle.get(), CURLINFO_OS_ERRNO, &os_errno);
  return code;
}

}  // namespace

bool IsConnectedToInternet(const std::string& server_base, std::chrono::milliseconds timeout) {
  const std::string target = HostAndPort(server_base);
  long os_errno = 0;
  return !target.empty() && ConnectOnly(target, timeout, os_errno) == CURLE_OK;
}

common::Status CheckConnection(const std::string& server_base, const std::string& proxy,
                               bool use_proxy, std::chrono::milliseconds timeout) {
  if (use_proxy) {
    // The downloads go through the proxy, so the proxy answering is being online.
    if (proxy.empty()) return NetworkError("не указан адрес прокси-сервера");
    long os_errno = 0;
    CURLcode code = ConnectOnly("http://" + proxy + "/", timeout, os_errno);
    if (code == CURLE_OK) return {};
    if (code == CURLE_COULDNT_RESOLVE_HOST) return NetworkError(proxy + ": адрес не найден");
    if (code == CURLE_COULDNT_CONNECT) return NetworkError(proxy + ": соединение не принято");
    if (code == CURLE_OPERATION_TIMEDOUT) return NetworkError(proxy + ": нет ответа");
    return NetworkError(proxy + ": " + curl_easy_strerror(code));
  }
  const std::string target = HostAndPort(server_base);
  if (target.empty()) return NetworkError("адрес сервера обновлений не http и не https");
  long os_errno = 0;
  CURLcode code = ConnectOnly(target, timeout, os_errno);
  // A host that refuses the connection was reached: the network is there and the server down,
  // which the download then says in its own words.
  if (code == CURLE_OK || (code == CURLE_COULDNT_CONNECT && os_errno == ECONNREFUSED)) return {};
  if (code == CURLE_COULDNT_RESOLVE_HOST) return NetworkError("адрес сервера не найден");
  if (code == CURLE_OPERATION_TIMEDOUT) return NetworkError("сервер не ответил вовремя");
  return NetworkError(std::string("нет связи с сервером (") + curl_easy_strerror(code) + ")");
}

namespace {

// The download into file, which it commits once all of the body has arrived.
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// Keeps the validators of the answer's head: ETag and Last-Modified, names in any letter case.
std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& validators = *static_cast<Validators*>(user);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  std::size_t colon = line.find(':');
  if (colon != std::string_view::npos) {
    std::string name = common::AsciiLowered(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    if (name == "etag") validators.etag = value;
    if (name == "last-modified") validators.last_modified = value;
  }
  return size * count;
}

// true with the whole new file in place, false (nothing written) when the server answered that
// the file has not changed since the validators given.
common::Result<bool> Download(const std::string& address, common::PendingFile& file,
                              const std::string& proxy, bool use_proxy,
                              const DownloadControl& control, Validators* validators) {
  // Asked for a proxy without one: going direct could reach what the proxy is there to guard.
  if (use_proxy && proxy.empty()) return NetworkError("не указан адрес прокси-сервера");
  CurlHandle handle = NewHandle();
  if (!handle) return NetworkError("библиотека загрузки не готова");
  if (!file.ok()) return file.Write({}).error();  // the reason the file could not be made

  Transfer transfer{.file = &file, .control = &control};
  CURL* curl = handle.get();
  std::unique_ptr<curl_slist, SlistDeleter> headers;
  Validators answered;
  if (validators) {
    curl_slist* list = nullptr;
    if (!validators->etag.empty()) {
      list = curl_slist_append(list, ("If-None-Match: " + validators->etag).c_str());
    }
    if (!validators->last_modified.empty()) {
      list = curl_slist_append(list, ("If-Modified-Since: " + validators->last_modified).c_str());
    }
    headers.reset(list);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &answered);
  }
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_PROXY, use_proxy ? proxy.c_str() : "");
  SetLimits(curl, control);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, WatchTransfer);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, 256L * 1024);  // fewer, larger writes to the file

  CURLcode code = curl_easy_perform(curl);
  long status = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
  if (code == CURLE_OK && status == 304 && validators) return false;
  if (code != CURLE_OK || status < 200 || status >= 300) {
    return TransferError(curl, code, transfer, use_proxy);
  }
  if (validators) *validators = answered;
  // Not flushed to disk: waiting for the disk was most of the time a download took on a fast
  // network, and it buys nothing here. The files downloaded are the server's index, read at
  // once and removed, and packages, which are signed: one cut short by a crash of the system
  // before its bytes reached the disk fails verification, and the update run then removes it
  // so that the next run fetches it again. A killed process cannot leave a part of the body
  // under the name either way, since the name is given only once all of it has been written.
  if (common::Status committed = file.CommitUnflushed(); !committed) return committed.error();
  return true;
}

common::Status Done(const common::Result<bool>& downloaded) {
  if (!downloaded) return downloaded.error();
  return {};
}

}  // namespace

common::Status GetInetFile(const std::string& address, const std::string& local_path,
                           const std::string& proxy, bool use_proxy,
                           const DownloadControl& control) {
  common::PendingFile file(local_path);
  return Done(Download(address, file, proxy, use_proxy, control, nullptr));
}

common::Status GetInetFile(const std::string& address, const common::FileAt& local_file,
                           const std::string& proxy, bool use_proxy,
                           const DownloadControl& control) {
  common::PendingFile file(local_file);
  return Done(Download(address, file, proxy, use_proxy, control, nullptr));
}

common::Result<bool> GetInetFileIfChanged(const std::string& address,
                                          const common::FileAt& local_file,
                                          const std::string& proxy, bool use_proxy,
                                          Validators& known, const DownloadControl& control) {
  common::PendingFile file(local_file);
  return Download(address, file, proxy, use_proxy, control, &known);
}

}  // namespace trubkom::update
