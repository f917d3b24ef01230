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

bool ReadAsMissing(const std::string& path, const std::string& why) {
  Warn(path + ": " + why + "; read as missing");
  return false;
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

bool ReadFileBytesInto(const std::string& path, std::string& bytes, std::size_t max_bytes) {
  // Looked at before opening, since opening a device can have effects of its own; checked again
  // on the open file, which is what is read. Opening without blocking keeps a FIFO from waiting
  // for a writer.
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    return ReadAsMissing(path, "not a regular file");
  }
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (file.get() < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return false;
    return ReadAsMissing(path, std::string("cannot be opened (") + std::strerror(errno) + ")");
  }
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return ReadAsMissing(path, "not a regular file");
  }
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) {
    return ReadAsMissing(path, TooLarge(max_bytes));
  }
  // The size is only a hint: files of /proc and growing files can hold more than it says (or
  // less). The bytes the size announces go straight into the buffer, usually in one read().
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  for (;;) {
    char chunk[1 << 14];
    bool into_buffer = filled < bytes.size();
    char* target = into_buffer ? bytes.data() + filled : chunk;
    std::size_t room = into_buffer ? bytes.size() - filled : sizeof chunk;
    ssize_t got = ::read(file.get(), target, room);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      return ReadAsMissing(path, std::string("cannot be read (") + std::strerror(errno) + ")");
    }
    if (got == 0) break;
    auto count = static_cast<std::size_t>(got);
    if (count > max_bytes - filled) return ReadAsMissing(path, TooLarge(max_bytes));
    if (!into_buffer) bytes.append(chunk, count);
    filled += count;
  }
  bytes.resize(filled);
  return true;
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t max_bytes) {
  std::string bytes;
  if (!ReadFileBytesInto(path, bytes, max_bytes)) return std::nullopt;
  return bytes;
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
