#include "update/download.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/encoding.h"
#include "common/line_file.h"
#include "common/unique_fd.h"
#include "update/speed_window.h"

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
  CURL* handle = nullptr;
  const DownloadControl* control = nullptr;
  // Called once before the first byte of the body, with the answer's status: a resumed
  // download learns there whether the server sent the rest of the file or all of it.
  std::function<common::Status(long status)> begin = nullptr;
  // Takes the bytes of the body as they arrive.
  std::function<common::Status(std::string_view bytes)> write;
  bool begun = false;
  long status = 0;                 // the answer's, once the transfer is over
  std::uint64_t resumed_from = 0;  // bytes of the file that were there before this transfer
  std::uint64_t received = 0;      // bytes of the file there now, those before included
  std::uint64_t reported = 0;      // received when progress was last called
  bool too_large = false;
  std::optional<SpeedWindow> speed = std::nullopt;  // made when the request is
  bool too_slow = false;
  std::optional<common::Error> write_error = std::nullopt;
};

bool Cancelled(const Transfer& transfer) {
  return transfer.control->cancel != nullptr && transfer.control->cancel->load();
}

common::Status Begin(Transfer& transfer) {
  transfer.begun = true;
  if (!transfer.begin) return {};
  long status = 0;
  curl_easy_getinfo(transfer.handle, CURLINFO_RESPONSE_CODE, &status);
  return transfer.begin(status);
}

// Counts the bytes itself: a body without a length (or with a false one) is capped here.
std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  // Any count but bytes aborts the transfer.
  if (!transfer.begun) {
    if (common::Status begun = Begin(transfer); !begun) {
      transfer.write_error = begun.error();
      return 0;
    }
  }
  transfer.received += bytes;
  if (transfer.received > transfer.control->max_bytes) {
    transfer.too_large = true;
    return 0;
  }
  if (Cancelled(transfer)) return 0;
  if (common::Status written = transfer.write(std::string_view(data, bytes)); !written) {
    transfer.write_error = written.error();
    return 0;
  }
  return bytes;
}

// Called often while the transfer lasts, also while no byte arrives, so a cancel is seen soon.
int WatchTransfer(void* user, curl_off_t total, curl_off_t, curl_off_t, curl_off_t) {
  auto& transfer = *static_cast<Transfer*>(user);
  if (Cancelled(transfer)) return 1;
  if (transfer.speed->TooSlow(SpeedWindow::Clock::now(), transfer.received)) {
    transfer.too_slow = true;
    return 1;
  }
  if (transfer.control->progress && transfer.received != transfer.reported) {
    transfer.reported = transfer.received;
    transfer.control->progress(transfer.received,
                               total > 0 ? transfer.resumed_from + std::uint64_t(total) : 0);
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
  curl_easy_setopt(handle, CURLOPT_TIMEOUT, long(control.total_time.count()));
  // The proxy is the one the user ticked or none: the environment's proxy settings (http_proxy,
  // no_proxy, ...) are never used, either to add a proxy or to go around the chosen one.
  curl_easy_setopt(handle, CURLOPT_NOPROXY, "");
  curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(control.max_bytes));
}

common::Error NetworkError(const std::string& utf8) {
  return {common::ErrorCode::kNetwork, common::Cp1251FromUtf8(utf8)};
}

// The failures a download meets most, said in Russian as the log is; the library's own words
// (English) after a colon for the rest.
std::string CommonFailure(CURLcode code) {
  switch (code) {
    case CURLE_PARTIAL_FILE:
      return "файл пришёл не целиком";
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
      return "соединение оборвалось";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
      return "не удалось установить защищённое соединение";
    case CURLE_TOO_MANY_REDIRECTS:
      return "слишком много перенаправлений";
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "адрес не http и не https";
    case CURLE_WEIRD_SERVER_REPLY:
      return "сервер ответил не по протоколу HTTP";
    default:
      return std::string("ошибка загрузки: ") + curl_easy_strerror(code);
  }
}

// Why a transfer failed, in the user's words.
common::Error TransferError(CURL* handle, CURLcode code, const Transfer& transfer, bool use_proxy) {
  if (transfer.write_error) return *transfer.write_error;
  if (Cancelled(transfer)) {
    return {common::ErrorCode::kCancelled, std::string("загрузка прервана"_cp1251)};
  }
  if (transfer.too_slow) {
    const DownloadControl& control = *transfer.control;
    return NetworkError(
        "сервер передаёт слишком медленно (меньше " +
        std::to_string(control.stall_bytes_per_second * control.stall_time.count() / 1024) +
        " КБ за " + std::to_string(control.stall_time.count()) + " с)");
  }
  if (transfer.too_large || code == CURLE_FILESIZE_EXCEEDED) {
    const std::uint64_t cap = transfer.control->max_bytes;
    return {common::ErrorCode::kTooLarge,
            common::Cp1251FromUtf8("файл больше " + (cap >= (std::uint64_t{1} << 20)
                                                         ? std::to_string(cap >> 20) + " МБ"
                                                         : std::to_string(cap) + " байт"))};
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
      return NetworkError(CommonFailure(code));
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

struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

// What the head of the answer said that a download goes on with.
struct AnswerHead {
  Validators validators;
  std::string content_range;
};

// Whether a validator (an ETag, a Last-Modified) is one a request may carry back: visible ASCII
// and blanks alone. Anything else (a CR or LF above all, from a server or a file planted beside
// a download) would go raw into the next request's headers; such a validator is not kept.
bool IsSendable(std::string_view validator) {
  return !validator.empty() && std::all_of(validator.begin(), validator.end(),
                                           [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// Keeps the headers of the answer's head that matter here, names in any letter case; the head
// of a redirect's answer is forgotten when the next answer's status line comes.
std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& head = *static_cast<AnswerHead*>(user);
  std::string_view line(data, size * count);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.starts_with("HTTP/")) head = {};
  std::size_t colon = line.find(':');
  if (colon != std::string_view::npos) {
    std::string name = common::AsciiLowered(line.substr(0, colon));
    std::string_view value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    if (name == "etag" && IsSendable(value)) head.validators.etag = value;
    if (name == "last-modified" && IsSendable(value)) head.validators.last_modified = value;
    if (name == "content-range") head.content_range = value;
  }
  return size * count;
}

// One request for address (for the bytes of range only, "FIRST-", when given), its body going
// through transfer; the status it was answered with, or why it failed: a status outside 2xx but
// 304 fails, and transfer.status holds it either way.
common::Result<long> Perform(const std::string& address, const std::string& proxy, bool use_proxy,
                             const DownloadControl& control, Transfer& transfer,
                             curl_slist* headers, AnswerHead& head, const char* range = nullptr) {
  // Asked for a proxy without one: going direct could reach what the proxy is there to guard.
  if (use_proxy && proxy.empty()) return NetworkError("не указан адрес прокси-сервера");
  CurlHandle handle = NewHandle();
  if (!handle) return NetworkError("библиотека загрузки не готова");
  CURL* curl = handle.get();
  transfer.handle = curl;
  transfer.control = &control;
  transfer.speed.emplace(control.stall_time, control.stall_bytes_per_second);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, ReadHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &head);
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  // A range, not CURLOPT_RESUME_FROM_LARGE: libcurl fails a resumed transfer whose server sends
  // the whole file (200) instead of the rest, and the whole file is what is wanted then.
  curl_easy_setopt(curl, CURLOPT_RANGE, range);
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
  transfer.status = status;
  if (code == CURLE_OK && status == 304) return status;
  // An empty body calls no write: its answer begins here.
  if (code == CURLE_OK && !transfer.begun) {
    if (common::Status begun = Begin(transfer); !begun) return begun.error();
  }
  if (code != CURLE_OK || status < 200 || status >= 300) {
    return TransferError(curl, code, transfer, use_proxy);
  }
  return status;
}

// true with the whole new file in place, false (nothing written) when the server answered that
// the file has not changed since the validators given.
common::Result<bool> Download(const std::string& address, common::PendingFile& file,
                              const std::string& proxy, bool use_proxy,
                              const DownloadControl& control, Validators* validators) {
  if (!file.ok()) return file.Write({}).error();  // the reason the file could not be made
  Transfer transfer{.write = [&](std::string_view bytes) { return file.Write(bytes); }};
  curl_slist* list = nullptr;
  if (validators && IsSendable(validators->etag)) {
    list = curl_slist_append(list, ("If-None-Match: " + validators->etag).c_str());
  }
  if (validators && IsSendable(validators->last_modified)) {
    list = curl_slist_append(list, ("If-Modified-Since: " + validators->last_modified).c_str());
  }
  HeaderList headers(list);
  AnswerHead head;
  auto status = Perform(address, proxy, use_proxy, control, transfer, list, head);
  if (!status) return status.error();
  if (*status == 304 && validators) return false;
  if (validators) *validators = head.validators;
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

// The first byte of a "Content-Range: bytes FIRST-LAST/LENGTH" header, if it has one.
std::optional<std::uint64_t> FirstByteOf(std::string_view content_range) {
  if (!content_range.starts_with("bytes ")) return std::nullopt;
  content_range.remove_prefix(6);
  std::uint64_t first = 0;
  auto [end, error] =
      std::from_chars(content_range.data(), content_range.data() + content_range.size(), first);
  if (error != std::errc() || end == content_range.data() + content_range.size() || *end != '-') {
    return std::nullopt;
  }
  return first;
}

// What a download cut short leaves beside its file: the bytes that arrived, in "<name>.part",
// and the validator of the version of the file they belong to (its ETag, else its
// Last-Modified), in "<name>.part-version". A part without a version cannot be resumed safely.
class PartialFile {
 public:
  explicit PartialFile(const common::FileAt& file)
      : file_(file), part_(file.name + ".part"), version_(file.name + ".part-version") {
    // Anything but a regular file where the part belongs (a link, a FIFO, a folder) is no part:
    // it goes, and the download starts over, rather than block its package for ever.
    struct stat info;
    if (::fstatat(file.folder, part_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode)) {
      ::unlinkat(file.folder, part_.c_str(), S_ISDIR(info.st_mode) ? AT_REMOVEDIR : 0);
      ::unlinkat(file.folder, version_.c_str(), 0);
    }
    fd_.reset(::openat(file.folder, part_.c_str(),
                       O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666));
    if (fd_.ok() && (::fstat(fd_.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
      fd_.reset();
      errno = EISDIR;
    }
    if (!fd_.ok()) {
      open_error_ = errno;
      return;
    }
    auto version = common::ReadFile(At(version_), 4096);
    const off_t size = ::lseek(fd_.get(), 0, SEEK_END);
    if (version && IsSendable(*version) && size > 0) {
      size_ = std::uint64_t(size);
      version_text_ = *version;
    }
  }

  common::Status Opened() const {
    if (fd_.ok()) return {};
    return common::WriteError(open_error_, file_.path + ".part");
  }
  std::uint64_t size() const { return size_; }
  const std::string& version() const { return version_text_; }

  // Starts the file over for a whole new body of the version given (none: it cannot be
  // resumed); the version is written before any byte of the body.
  common::Status StartOver(const Validators& answered) {
    size_ = 0;
    if (::ftruncate(fd_.get(), 0) != 0 || ::lseek(fd_.get(), 0, SEEK_SET) != 0) {
      return common::WriteError(errno, file_.path + ".part");
    }
    const std::string& version = !answered.etag.empty() ? answered.etag : answered.last_modified;
    if (version.empty()) {
      ::unlinkat(file_.folder, version_.c_str(), 0);
      return {};
    }
    return common::ReplaceFileAtomically(At(version_), version, false);
  }
  common::Status Append(std::string_view bytes) {
    if (int error = common::WriteAll(fd_.get(), bytes); error != 0) {
      return common::WriteError(error, file_.path + ".part");
    }
    return {};
  }
  // Renames the whole file onto its name, unflushed as any download (see Download).
  common::Status Finish() {
    if (::renameat(file_.folder, part_.c_str(), file_.folder, file_.name.c_str()) != 0) {
      return common::WriteError(errno, file_.path);
    }
    ::unlinkat(file_.folder, version_.c_str(), 0);
    return {};
  }
  void Remove() {
    ::unlinkat(file_.folder, part_.c_str(), 0);
    ::unlinkat(file_.folder, version_.c_str(), 0);
  }
  // Whether it holds bytes that a later download could go on from.
  bool Resumable() const {
    struct stat info;
    return ::fstat(fd_.get(), &info) == 0 && info.st_size > 0 &&
           ::fstatat(file_.folder, version_.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
  }

 private:
  common::FileAt At(const std::string& name) const {
    return {file_.folder, name, file_.path + name.substr(file_.name.size())};
  }

  common::FileAt file_;
  std::string part_;
  std::string version_;
  common::UniqueFd fd_;
  int open_error_ = 0;
  std::uint64_t size_ = 0;
  std::string version_text_;
};

// Asks for the rest of the partial file when it has a part, for all of it otherwise; true when
// the server answered that it has no such rest (416).
common::Status Continue(const std::string& address, PartialFile& part, const std::string& proxy,
                        bool use_proxy, const DownloadControl& control, bool& no_rest) {
  AnswerHead head;
  Transfer transfer{.write = [&](std::string_view bytes) { return part.Append(bytes); }};
  transfer.begin = [&](long status) -> common::Status {
    if (status == 206 && FirstByteOf(head.content_range) == part.size()) {
      transfer.resumed_from = transfer.received = part.size();
      return {};
    }
    if (status == 206) return NetworkError("сервер прислал не ту часть файла");
    return part.StartOver(head.validators);  // the whole file, changed or not
  };
  HeaderList headers;
  std::string range;
  if (part.size() > 0) {
    headers.reset(curl_slist_append(nullptr, ("If-Range: " + part.version()).c_str()));
    range = std::to_string(part.size()) + "-";
  }
  auto status = Perform(address, proxy, use_proxy, control, transfer, headers.get(), head,
                        range.empty() ? nullptr : range.c_str());
  no_rest = !status && part.size() > 0 && transfer.status == 416;
  if (!status) return status.error();
  return {};
}

// Whether what arrived of a download that failed this way is worth keeping for the next try:
// the connection was lost or the user stopped it, not the file refused.
bool KeepsThePart(const common::Error& error) {
  return error.code == common::ErrorCode::kNetwork || error.code == common::ErrorCode::kCancelled;
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

common::Status GetInetFileResuming(const std::string& address, const common::FileAt& local_file,
                                   const std::string& proxy, bool use_proxy,
                                   const DownloadControl& control) {
  PartialFile part(local_file);
  if (common::Status opened = part.Opened(); !opened) return opened;
  bool no_rest = false;
  common::Status status = Continue(address, part, proxy, use_proxy, control, no_rest);
  // A part the server cannot continue (the file is now shorter, or the part was whole): once
  // more from the start.
  if (no_rest) {
    if (common::Status cleared = part.StartOver({}); !cleared) return cleared;
    status = Continue(address, part, proxy, use_proxy, control, no_rest);
  }
  if (status) return part.Finish();
  if (!KeepsThePart(status.error()) || !part.Resumable()) part.Remove();
  return status;
}

}  // namespace trubkom::update
