#include "common/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <string>

#include "common/process.h"

namespace trubkom::common {

namespace {

constexpr const char* kTemporaryMark = ".trubkom-";

std::string TemporaryNameFor(const std::string& name) {
  static std::atomic<unsigned> counter{0};
  return name + kTemporaryMark + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
         ".tmp";
}

// Creates a new temporary file for name in the folder and sets temp to its name. Created with
// mode 0666, which the kernel narrows by the process's umask, so the file gets the permissions
// any new file would get without the umask ever being changed (other threads create files
// meanwhile).
int CreateTemporaryFor(int folder, const std::string& name, std::string& temp) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TemporaryNameFor(name);
    int fd =
        ::openat(folder, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// The folder of path, opened as its path says (links in it followed, as any path is), and the
// last component of path in name.
UniqueFd OpenFolderOf(const std::string& path, std::string& name) {
  std::size_t slash = path.rfind('/');
  name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  return UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

UniqueFd OpenFolder(const std::string& folder) {
  return UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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

void SyncFolderOf(const std::string& path) {
  std::string name;
  UniqueFd folder = OpenFolderOf(path, name);
  if (folder.ok()) SyncFolder(folder.get());
}

void SyncFolder(int folder_fd) { ::fsync(folder_fd); }

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
  return info.st_mode & 0777;
}

std::optional<mode_t> ModeOf(const FileAt& file) {
  struct stat info;
  if (::fstatat(file.folder, file.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
      !S_ISREG(info.st_mode)) {
    return std::nullopt;
  }
  return info.st_mode & 0777;
}

bool LinkFileAtomically(const std::string& source, const std::string& path, bool sync_folder,
                        std::optional<mode_t> mode) {
  std::string source_name, name;
  UniqueFd source_folder = OpenFolderOf(source, source_name);
  UniqueFd folder = OpenFolderOf(path, name);
  if (!source_folder.ok() || !folder.ok()) return false;
  return LinkFileAtomically({source_folder.get(), source_name, source}, {folder.get(), name, path},
                            sync_folder, mode);
}

bool LinkFileAtomically(const FileAt& source, const FileAt& target, bool sync_folder,
                        std::optional<mode_t> mode) {
  UniqueFd fd(
      ::openat(source.folder, source.name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd.ok()) return false;
  struct stat info;
  if (!mode) mode = NewFileMode();
  // A file with a name elsewhere already (put in place before) would then share its bytes
  // between two catalogue files; it is copied instead.
  bool ok = ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 && mode &&
            ::fchmod(fd.get(), *mode) == 0 && ::fsync(fd.get()) == 0;
  fd.reset();
  if (!ok) return false;
  std::string temp;
  for (int attempt = 0; attempt < 100; ++attempt) {
    temp = TemporaryNameFor(target.name);
    if (::linkat(source.folder, source.name.c_str(), target.folder, temp.c_str(), 0) == 0) break;
    if (errno != EEXIST) return false;  // another file system, or one without links
    temp.clear();
  }
  if (temp.empty()) return false;
  // The name linked must still be the file checked and flushed above.
  struct stat linked;
  if (::fstatat(target.folder, temp.c_str(), &linked, AT_SYMLINK_NOFOLLOW) != 0 ||
      linked.st_ino != info.st_ino || linked.st_dev != info.st_dev ||
      ::renameat(target.folder, temp.c_str(), target.folder, target.name.c_str()) != 0) {
    ::unlinkat(target.folder, temp.c_str(), 0);
    return false;
  }
  if (sync_folder) SyncFolder(target.folder);
  return true;
}

Status CheckFolderWritable(const std::string& folder) {
  // A probe of a process killed meanwhile is swept, as any of its temporary files would be.
  RemoveStaleTemporaries(folder);
  UniqueFd opened = OpenFolder(folder);
  std::string temp;
  int fd = opened.ok() ? CreateTemporaryFor(opened.get(), "write-test", temp) : -1;
  if (fd < 0) return SystemError(errno, "Нельзя записывать в папку", folder, true);
  ::close(fd);
  ::unlinkat(opened.get(), temp.c_str(), 0);
  return {};
}

int RemoveStaleTemporaries(const std::string& folder) {
  UniqueFd fd = OpenFolder(folder);
  return fd.ok() ? RemoveStaleTemporaries(fd.get()) : 0;
}

int RemoveStaleTemporaries(int folder_fd) {
  // The listing reads through a descriptor of its own, whose position it moves.
  DIR* dir = ::fdopendir(::openat(folder_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir) return 0;
  int removed = 0;
  while (const dirent* entry = ::readdir(dir)) {
    // An entry that vanished or cannot be removed is left alone.
    struct stat info;
    if (::fstatat(folder_fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode)) {
      continue;
    }
    pid_t writer = WriterOf(entry->d_name);
    if (writer > 0 && !ProcessIsRunning(writer) && ::unlinkat(folder_fd, entry->d_name, 0) == 0) {
      ++removed;
    }
  }
  ::closedir(dir);
  return removed;
}

Status ReplaceFileAtomically(const std::string& path, std::string_view bytes, bool sync_folder) {
  PendingFile file(path);
  Status written = file.Write(bytes);
  if (!written) return written;
  return file.Commit(sync_folder);
}

Status ReplaceFileAtomically(const FileAt& target, std::string_view bytes, bool sync_folder) {
  PendingFile file(target);
  Status written = file.Write(bytes);
  if (!written) return written;
  return file.Commit(sync_folder);
}

PendingFile::PendingFile(const std::string& path) : path_(path) {
  folder_ = OpenFolderOf(path, name_);
  Create();
}

PendingFile::PendingFile(const FileAt& file) : path_(file.path), name_(file.name) {
  folder_.reset(::fcntl(file.folder, F_DUPFD_CLOEXEC, 0));
  Create();
}

// Called with errno still telling why folder_ could not be opened, if it could not.
void PendingFile::Create() {
  if (folder_.ok()) fd_ = CreateTemporaryFor(folder_.get(), name_, temp_);
  if (fd_ < 0) open_errno_ = errno;
}

PendingFile::~PendingFile() {
  if (fd_ < 0) return;
  ::close(fd_);
  ::unlinkat(folder_.get(), temp_.c_str(), 0);
}

Error PendingFile::Failed(int errno_value) {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
    ::unlinkat(folder_.get(), temp_.c_str(), 0);
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
    ::unlinkat(folder_.get(), temp_.c_str(), 0);
    return WriteError(error, path_);
  }
  if (::renameat(folder_.get(), temp_.c_str(), folder_.get(), name_.c_str()) != 0) {
    int error = errno;
    ::unlinkat(folder_.get(), temp_.c_str(), 0);
    return WriteError(error, path_);
  }
  if (sync_folder) SyncFolder(folder_.get());
  return {};
}

}  // namespace trubkom::common
