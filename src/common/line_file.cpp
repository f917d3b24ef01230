#include "common/line_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>
#include <vector>

#include "common/atomic_file.h"
#include "common/parallel_parts.h"
#include "common/unique_fd.h"

namespace trubkom::common {

namespace {

// Why a file could not be read, made into its Error by ErrorOf.
struct ReadProblem {
  ErrorCode code = ErrorCode::kMissing;
  int errno_value = 0;  // 0 when no system call failed
  std::size_t cap = 0;  // for kTooLarge
};

bool Problem(ReadProblem& problem, ErrorCode code, int errno_value = 0) {
  problem = {code, errno_value, 0};
  return false;
}

bool TooLarge(ReadProblem& problem, std::size_t max_bytes) {
  problem = {ErrorCode::kTooLarge, 0, max_bytes};
  return false;
}

bool SystemProblem(ReadProblem& problem, int errno_value) {
  return Problem(problem, CodeOfErrno(errno_value, false), errno_value);
}

Error ErrorOf(const std::string& path, const ReadProblem& problem) {
  if (problem.errno_value != 0) return ReadError(problem.errno_value, path);
  if (problem.code == ErrorCode::kTooLarge && problem.cap == 0) {
    return ErrorAbout(problem.code, "Не удалось прочитать", path, "не хватает памяти");
  }
  if (problem.code == ErrorCode::kTooLarge) {
    return ErrorAbout(problem.code, "Не удалось прочитать", path,
                      "файл больше " + std::to_string(problem.cap) + " байт");
  }
  return ErrorAbout(problem.code, "Не удалось прочитать", path, "это не обычный файл");
}

// Files of several megabytes are read in parts side by side.
constexpr std::size_t kPartBytes = std::size_t{4} << 20;

// Reads the bytes a large file announces in parts side by side: copying them out of the system's
// cache is most of the reading, and it divides among processors. Returns how many bytes from the
// start were read, where the file's offset then stands (0, and nothing moved, for a small file).
template <typename Buffer>
std::size_t ReadInParts(int fd, Buffer& bytes) {
  const std::size_t parts = PartsFor(bytes.size(), kPartBytes);
  if (parts < 2) return 0;
  const std::size_t part_bytes = bytes.size() / parts;
  auto part_end = [&](std::size_t part) {
    return part + 1 == parts ? bytes.size() : (part + 1) * part_bytes;
  };
  std::vector<std::size_t> got(parts, 0);
  RunParts(parts, [&](std::size_t part) {
    const std::size_t from = part * part_bytes, to = part_end(part);
    while (from + got[part] < to) {
      const std::size_t at = from + got[part];
      ssize_t count = ::pread(fd, bytes.data() + at, to - at, static_cast<off_t>(at));
      if (count < 0 && errno == EINTR) continue;
      if (count <= 0) break;  // a file cut short, or an error the plain read meets again
      got[part] += static_cast<std::size_t>(count);
    }
  });
  std::size_t filled = 0;
  for (std::size_t part = 0; part < parts && filled == part * part_bytes; ++part) {
    filled += got[part];
  }
  // Reading goes on from there; pread() has not moved the offset, so when it cannot be moved
  // the whole file is read again from the start.
  if (::lseek(fd, static_cast<off_t>(filled), SEEK_SET) < 0) return 0;
  return filled;
}

// Reads the regular file open as fd whole into bytes.
template <typename Buffer>
bool ReadOpened(int fd, Buffer& bytes, std::size_t max_bytes, ReadProblem& problem) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    return Problem(problem, ErrorCode::kNotAFile);
  }
  if (static_cast<std::uint64_t>(info.st_size) > max_bytes) return TooLarge(problem, max_bytes);
  // The size is only a hint: files of /proc and growing files can hold more than it says (or
  // less). The bytes the size announces go straight into the buffer, usually in one read().
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t filled = ReadInParts(fd, bytes);
  for (;;) {
    char chunk[1 << 14];
    bool into_buffer = filled < bytes.size();
    char* target = into_buffer ? bytes.data() + filled : chunk;
    std::size_t room = into_buffer ? bytes.size() - filled : sizeof chunk;
    ssize_t got = ::read(fd, target, room);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return SystemProblem(problem, errno);
    if (got == 0) break;
    auto count = static_cast<std::size_t>(got);
    if (count > max_bytes - filled) return TooLarge(problem, max_bytes);
    if (!into_buffer) bytes.append(chunk, count);
    filled += count;
  }
  bytes.resize(filled);
  return true;
}

// ReadOpened within the memory there is: a file the process cannot hold is a problem of that
// file, which the program goes on without, not the end of the program.
template <typename Buffer>
bool ReadOpenedWithin(int fd, Buffer& bytes, std::size_t max_bytes, ReadProblem& problem) {
  try {
    return ReadOpened(fd, bytes, max_bytes, problem);
  } catch (const std::bad_alloc&) {
    bytes = Buffer();
    return Problem(problem, ErrorCode::kTooLarge);
  }
}

// Why a file could not be opened, from the errno of its open.
bool OpenProblem(ReadProblem& problem, int errno_value) {
  if (errno_value == ENOENT || errno_value == ENOTDIR) {
    return Problem(problem, ErrorCode::kMissing, ENOENT);
  }
  return SystemProblem(problem, errno_value);
}

// Opening without blocking keeps a FIFO from waiting for a writer.
constexpr int kOpenFlags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Opens the regular file at path for reading; not open, with the problem set, when it cannot be.
// Looked at before opening, since opening a device can have effects of its own; the caller
// checks again on the open file, which is what is read.
UniqueFd OpenRegular(const std::string& path, ReadProblem& problem) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    Problem(problem, ErrorCode::kNotAFile);
    return UniqueFd();
  }
  UniqueFd file(::open(path.c_str(), kOpenFlags));
  if (!file.ok()) OpenProblem(problem, errno);
  return file;
}

template <typename Buffer>
bool ReadInto(const std::string& path, Buffer& bytes, std::size_t max_bytes, ReadProblem& problem) {
  UniqueFd file = OpenRegular(path, problem);
  if (!file.ok()) return false;
  return ReadOpenedWithin(file.get(), bytes, max_bytes, problem);
}

// The same for a file in a folder held open; a link there is not followed.
bool ReadAt(const FileAt& at, std::string& bytes, std::size_t max_bytes, ReadProblem& problem) {
  struct stat info;
  if (::fstatat(at.folder, at.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
      !S_ISREG(info.st_mode)) {
    return Problem(problem, ErrorCode::kNotAFile);
  }
  UniqueFd file(::openat(at.folder, at.name.c_str(), kOpenFlags | O_NOFOLLOW));
  if (!file.ok()) return OpenProblem(problem, errno);
  return ReadOpenedWithin(file.get(), bytes, max_bytes, problem);
}

}  // namespace

std::size_t DataFileCap() {
  static const std::size_t cap = [] {
    long pages = ::sysconf(_SC_PHYS_PAGES), page_size = ::sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page_size <= 0) return std::size_t{1} << 32;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(page_size);
  }();
  return cap;
}

Status ReadFileInto(const std::string& path, std::string& bytes, std::size_t cap) {
  ReadProblem problem;
  if (!ReadInto(path, bytes, cap, problem)) return ErrorOf(path, problem);
  return {};
}

Status ReadFileInto(const std::string& path, ByteBuffer& bytes, std::size_t cap) {
  ReadProblem problem;
  if (!ReadInto(path, bytes, cap, problem)) return ErrorOf(path, problem);
  return {};
}

Result<OpenedFile> OpenFileForReading(const std::string& path) {
  ReadProblem problem;
  UniqueFd file = OpenRegular(path, problem);
  if (!file.ok()) return ErrorOf(path, problem);
  struct stat info;
  if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    Problem(problem, ErrorCode::kNotAFile);
    return ErrorOf(path, problem);
  }
  return OpenedFile{std::move(file), static_cast<std::size_t>(info.st_size)};
}

Error ReadFailed(const std::string& path, int errno_value) { return ReadError(errno_value, path); }

Result<std::string> ReadFile(const std::string& path, std::size_t cap) {
  std::string bytes;
  if (Status read = ReadFileInto(path, bytes, cap); !read) return read.error();
  return bytes;
}

Result<std::string> ReadFile(const FileAt& file, std::size_t cap) {
  std::string bytes;
  ReadProblem problem;
  if (!ReadAt(file, bytes, cap, problem)) return ErrorOf(file.path, problem);
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

std::string JoinWithCrLf(const StringList& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

Status WriteLinesCrLf(const std::string& path, const StringList& lines) {
  return ReplaceFileAtomically(path, JoinWithCrLf(lines));
}

}  // namespace trubkom::common
