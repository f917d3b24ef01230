#include "plain_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdexcept>

#include "common/paths.h"

namespace trubkom::bench {

std::vector<std::string> FilesIn(const std::string& folder, const std::string& mask) {
  std::vector<std::string> paths;
  for (const std::string& name : common::ListFiles(folder, mask)) {
    paths.push_back(common::JoinPath(folder, name));
  }
  return paths;
}

std::size_t PlainRead(const std::vector<std::string>& paths, std::string& buffer) {
  std::size_t total = 0;
  for (const std::string& path : paths) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) throw std::runtime_error("cannot read " + path);
    buffer.resize(static_cast<std::size_t>(info.st_size));
    ssize_t got = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    if (got != info.st_size) throw std::runtime_error("short read of " + path);
    total += static_cast<std::size_t>(got);
  }
  return total;
}

}  // namespace trubkom::bench
