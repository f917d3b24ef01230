#include "update/contained_path.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/paths.h"
#include "common/string_ops.h"

namespace trubkom::update {

std::optional<std::string> PathInside(const std::string& root, std::string_view relative) {
  std::string slashed(relative);
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  if (!slashed.empty() && slashed.front() == '/') return std::nullopt;
  std::string path = root;
  for (const std::string& part : common::SplitByChar(slashed, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return std::nullopt;
    path = common::ResolvePath(path, part);
    struct stat info;
    if (::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) return std::nullopt;
  }
  return path;
}

}  // namespace trubkom::update
