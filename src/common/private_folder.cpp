#include "common/private_folder.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>

#include "common/process.h"

namespace trubkom::common {

namespace {

std::string TemporaryFolder() {
  const char* tmpdir = std::getenv("TMPDIR");
  std::string folder = tmpdir && *tmpdir ? tmpdir : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

}  // namespace

PrivateFolder::PrivateFolder(std::string_view name_prefix) {
  std::string pattern =
      TemporaryFolder() + "/" + std::string(name_prefix) + std::to_string(::getpid()) + "-XXXXXX";
  if (::mkdtemp(pattern.data())) path_ = pattern;  // mkdtemp gives mode 0700
}

int RemoveAbandonedPrivateFolders(std::string_view name_prefix) {
  namespace fs = std::filesystem;
  int removed = 0;
  std::error_code error;
  for (auto it = fs::directory_iterator(TemporaryFolder(), error);
       !error && it != fs::directory_iterator(); it.increment(error)) {
    std::string name = it->path().filename().string();
    if (!name.starts_with(name_prefix)) continue;
    std::string_view rest = std::string_view(name).substr(name_prefix.size());
    pid_t pid = 0;
    auto [end, parsed] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (parsed != std::errc() || end == rest.data() + rest.size() || *end != '-') continue;
    struct stat info;
    // Only the user's own folders, and never through a link planted in the shared folder.
    if (::lstat(it->path().c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid() || ProcessIsRunning(pid)) {
      continue;
    }
    std::error_code ignored;
    if (fs::remove_all(it->path(), ignored) > 0) ++removed;
  }
  return removed;
}

PrivateFolder::~PrivateFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);  // removes links, never what they point to
}

}  // namespace trubkom::common
