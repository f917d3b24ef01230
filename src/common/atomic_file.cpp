#include "common/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>

namespace trubkom::common {

namespace {

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// Creates a new temporary file beside path and sets temp to its name. Created with mode 0666,
// which the kernel narrows by the process's umask, so the file gets the permissions any new
// file would get without the umask ever being changed (other threads create files meanwhile).
int CreateTemporaryBeside(const std::string& path, std::string& temp) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = path + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Makes the rename itself durable.
void SyncFolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view bytes) {
  PendingFile file(path);
  return file.Write(bytes) && file.Commit();
}

PendingFile::PendingFile(const std::string& path) : path_(path) {
  fd_ = CreateTemporaryBeside(path, temp_);
}

PendingFile::~PendingFile() {
  if (fd_ < 0) return;
  ::close(fd_);
  std::remove(temp_.c_str());
}

bool PendingFile::Write(std::string_view bytes) { return fd_ >= 0 && WriteAll(fd_, bytes); }

bool PendingFile::Commit() {
  if (fd_ < 0) return false;
  bool ok = ::fsync(fd_) == 0;
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  if (ok && std::rename(temp_.c_str(), path_.c_str()) == 0) {
    SyncFolderOf(path_);
    return true;
  }
  std::remove(temp_.c_str());
  return false;
}

}  // namespace trubkom::common
