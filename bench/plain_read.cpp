#include "plain_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <span>
#include <stdexcept>

#include "common/parallel_parts.h"
#include "common/paths.h"

namespace trubkom::bench {

std::vector<std::string> FilesIn(const std::string& folder, const std::string& mask) {
  std::vector<std::string> paths;
  for (const std::string& name : common::ListFiles(folder, mask)) {
    paths.push_back(common::JoinPath(folder, name));
  }
  return paths;
}

namespace {

// The program reads a file of several megabytes in parts of this size side by side
// (common::ReadFile); the floor reads it with as many threads.
constexpr std::size_t kPartBytes = std::size_t{4} << 20;
// And shares many files among threads, at least this many a thread.
constexpr std::size_t kFilesPerPart = 16;

void ReadWhole(int fd, char* bytes, std::size_t size, const std::string& path) {
  const std::size_t parts = common::PartsFor(size, kPartBytes);
  const std::size_t part_bytes = size / parts;
  common::RunParts(parts, [&](std::size_t part) {
    const std::size_t from = part * part_bytes;
    const std::size_t to = part + 1 == parts ? size : from + part_bytes;
    for (std::size_t at = from; at < to;) {
      ssize_t got = ::pread(fd, bytes + at, to - at, static_cast<off_t>(at));
      if (got <= 0) throw std::runtime_error("short read of " + path);
      at += static_cast<std::size_t>(got);
    }
  });
}

// Reads the files one after the other into buffer.
std::size_t ReadEach(std::span<const std::string> paths, std::string& buffer) {
  std::size_t total = 0;
  for (const std::string& path : paths) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) throw std::runtime_error("cannot read " + path);
    buffer.resize(static_cast<std::size_t>(info.st_size));
    try {
      ReadWhole(fd, buffer.data(), buffer.size(), path);
    } catch (...) {
      ::close(fd);
      throw;
    }
    ::close(fd);
    total += buffer.size();
  }
  return total;
}

}  // namespace

std::size_t PlainRead(const std::vector<std::string>& paths, std::string& buffer) {
  // Many files are shared among threads as the price lists are (catalogue/price_pass.cpp).
  const std::size_t parts = common::PartsFor(paths.size(), kFilesPerPart);
  if (parts < 2) return ReadEach(paths, buffer);
  static std::vector<std::string> buffers;
  buffers.resize(parts);
  std::vector<std::size_t> totals(parts, 0);
  common::RunParts(parts, [&](std::size_t part) {
    const std::size_t first = paths.size() * part / parts;
    const std::size_t last = paths.size() * (part + 1) / parts;
    totals[part] = ReadEach(std::span(paths).subspan(first, last - first), buffers[part]);
  });
  std::size_t total = 0;
  for (std::size_t bytes : totals) total += bytes;
  return total;
}

}  // namespace trubkom::bench
