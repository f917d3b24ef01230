#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/paths.h"
#include "common/process.h"

namespace trubkom::common {

namespace {

constexpr const char* kTemporaryMark = ".trubkom-";

// 0 when every byte was written, else the errno of the failure.
int WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return errno;
    // A write that takes no byte and says nothing would loop for ever: the disk is full.
    if (written == 0) return ENOSPC;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return 0;
}

std::string TemporaryNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + kTemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
         ".tmp";
}

// Creates a new temporary file beside path and sets temp to its name. Created with mode 0666,
// which the kernel narrows by the process's umask, so the file gets the permissions any new
// file would get without the umask ever being changed (other threads create files meanwhile).
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TemporaryNameBeside(path);
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The process id in a temporary file's name, or 0 when the name is not one of ours.
pid_t WriterOf(std::string_view name) {
  constexpr std::string_view kEnd = ".tmp";
  std::size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || !name.ends_with(kEnd)) return 0;
  std::string_view numbers = name.substr(mark + std::strlen(kTemporaryMark));
  numbers.remove_suffix(kEnd.size());
  pid_t pid = 0;
  unsigned long counter = 0;
  auto [dash, error] = std::from_chars(numbers.data(), numbers.data() + numbers.size(), pid);
  if (error != std::errc() || dash == numbers.end() || *dash != '-') return 0;
  auto [end, counter_error] = std::from_chars(dash + 1, numbers.data() + numbers.size(), counter);
  if (counter_error != std::errc() || end != numbers.data() + numbers.size()) return 0;
  return pid;
}

}  // namespace

void SyncFolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::optional<mode_t> NewFileMode() {
  int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char text[4096];
  ssize_t got = ::read(fd, text, sizeof text);
  ::close(fd);
  if (got <= 0) return std::nullopt;
  std::string_view status(text, static_cast<std::size_t>(got));
  constexpr std::string_view kField = "\nUmask:";
  std::size_t at = status.find(kField);
  if (at == std::string_view::npos) return std::nullopt;
  std::string_view value = status.substr(at + kField.size());
  while (!value.empty() && (value.front() == '\t' || value.front() == ' ')) value.remove_prefix(1);
  unsigned mask = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), mask, 8);
  if (error != std::errc() || end == value.data() + value.size() || *end != '\n') {
    return std::nullopt;
  }
  return static_cast<mode_t>(0666 & ~mask);
}

std::optional<mode_t> ModeOf(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return info.st_mode & 07777;
}

bool LinkFileAtomically(const std::string& source, const std::string& path, bool sync_folder,
                        std::optional<mode_t> mode) {
  int fd = ::open(source.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat info;
  if (!mode) mode = NewFileMode();
  // A file with a name elsewhere already (put in place before) would then share its bytes
  // between two catalogue files; it is copied instead.
  bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && mode &&
            ::fchmod(fd, *mode) == 0 && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok) return false;
  std::string temp;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TemporaryNameBeside(path);
    if (::link(source.c_str(), temp.c_str()) == 0) break;
    if (errno != EEXIST) return false;  // another file system, or one without links
    temp.clear();
  }
  if (temp.empty()) return false;
  // The name linked must still be the file checked and flushed above.
  struct stat linked;
  if (::lstat(temp.c_str(), &linked) != 0 || linked.st_ino != info.st_ino ||
      linked.st_dev != info.st_dev || std::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  if (sync_folder) SyncFolderOf(path);
  return true;
}

Status CheckFolderWritable(const std::string& folder) {
  // A probe of a process killed meanwhile is swept, as any of its temporary files would be.
  RemoveStaleTemporaries(folder);
  std::string temp;
  int fd = CreateTemporaryBeside(WithTrailingSlash(folder) + "write-test", temp);
  if (fd < 0) return SystemError(errno, "Нельзя записывать в папку", folder, true);
  ::close(fd);
  ::unlink(temp.c_str());
  return {};
}

int RemoveStaleTemporaries(const std::string& folder) {
  namespace fs = std::filesystem;
  int removed = 0;
  std::error_code error;
  for (auto it = fs::directory_iterator(folder, error); !error && it != fs::directory_iterator();
       it.increment(error)) {
    std::error_code ignored;  // an entry that vanished or cannot be removed is left alone
    if (!it->is_regular_file(ignored) || it->is_symlink(ignored)) continue;
    pid_t writer = WriterOf(it->path().filename().string());
    if (writer > 0 && !ProcessIsRunning(writer) && fs::remove(it->path(), ignored)) ++removed;
  }
  return removed;
}

Status ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool sync_folder) {
  PendingFile file(path);
  Status written = file.Write(bytes);
  if (!written) return written;
  return file.Commit(sync_folder);
}

PendingFile::PendingFile(const std::string& path) : path_(path) {
  fd_ = CreateTemporaryBeside(path, temp_);
  if (fd_ < 0) open_errno_ = errno;
}

PendingFile::~PendingFile() {
  if (fd_ < 0) return;
  ::close(fd_);
  std::remove(temp_.c_str());
}

Error PendingFile::Failed(int errno_value) {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    std::remove(temp_.c_str());
  }
  open_errno_ = errno_value;
  return WriteError(errno_value, path_);
}

Status PendingFile::SetMode(mode_t mode) {
  if (fd_ < 0) return WriteError(open_errno_, path_);
  if (::fchmod(fd_, mode) != 0) return Failed(errno);
  return {};
}

Status PendingFile::Write(std::string_view bytes) {
  if (fd_ < 0) return WriteError(open_errno_, path_);
  if (int error = WriteAll(fd_, bytes)) return Failed(error);
  return {};
}

Status PendingFile::Commit(bool sync_folder) { return Finish(true, sync_folder); }

Status PendingFile::CommitUnflushed() { return Finish(false, false); }

Status PendingFile::Finish(bool sync_file, bool sync_folder) {
  if (fd_ < 0) return WriteError(open_errno_, path_);
  // A full disk may show only here: written bytes are placed on the disk when they are flushed,
  // and a network file system reports its failures on close.
  if (sync_file && ::fsync(fd_) != 0) return Failed(errno);
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    int error = errno;
    std::remove(temp_.c_str());
    return WriteError(error, path_);
  }
  if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
    int error = errno;
    std::remove(temp_.c_str());
    return WriteError(error, path_);
  }
  if (sync_folder) SyncFolderOf(path_);
  return {};
}

}  // namespace trubkom::common
