#include "common/line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "common/atomic_file.h"
#include "common/warnings.h"

namespace trubkom::common {

namespace {

std::nullopt_t ReadAsMissing(const std::string& path, const std::string& why) {
  Warn(path + ": " + why + "; read as missing");
  return std::nullopt;
}

std::string TooLarge(std::size_t max_bytes) {
  return "larger than " + std::to_string(max_bytes) + " bytes";
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t max_bytes) {
  // Looked at before opening, since opening a device can have effects of its own; checked again
  // on the open file, which is what is read. Opening without blocking keeps a FIFO from waiting
  // for a writer.
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    return ReadAsMissing(path, "not a regular file");
  }
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    return ReadAsMissing(path, std::string("cannot be opened (") + std::strerror(errno) + ")");
  }
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return ReadAsMissing(path, "not a regular file");
  }
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    return ReadAsMissing(path, TooLarge(max_bytes));
  }
  // The size is only a hint: files of /proc and growing files can hold more than it says.
  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      return ReadAsMissing(path, std::string("cannot be read (") + std::strerror(errno) + ")");
    }
    if (got == 0) return bytes;
    if (static_cast<std::size_t>(got) > max_bytes - bytes.size()) {
      return ReadAsMissing(path, TooLarge(max_bytes));
    }
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

namespace {

template <typename IsLineEnd>
StringList SplitLines(std::string_view bytes, IsLineEnd is_line_end) {
  StringList lines;
  ForEachLine(bytes, is_line_end, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

}  // namespace

StringList SplitLinesAtCr(std::string_view bytes) { return SplitLines(bytes, IsCr); }

StringList SplitLinesAtAnyEnd(std::string_view bytes) { return SplitLines(bytes, IsCrOrLf); }

std::optional<StringList> ReadLinesAtCr(const std::string& path, std::size_t max_bytes) {
  auto bytes = ReadFileBytes(path, max_bytes);
  if (!bytes) return std::nullopt;
  return SplitLinesAtCr(*bytes);
}

std::optional<StringList> ReadLinesAtAnyEnd(const std::string& path, std::size_t max_bytes) {
  auto bytes = ReadFileBytes(path, max_bytes);
  if (!bytes) return std::nullopt;
  return SplitLinesAtAnyEnd(*bytes);
}

std::string JoinWithCrLf(const StringList& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

bool WriteLinesCrLf(const std::string& path, const StringList& lines) {
  return ReplaceFileAtomically(path, JoinWithCrLf(lines));
}

}  // namespace trubkom::common
