#include "common/private_folder.h"

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>

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
  std::string pattern = TemporaryFolder() + "/" + std::string(name_prefix) + "XXXXXX";
  if (::mkdtemp(pattern.data())) path_ = pattern;  // mkdtemp gives mode 0700
}

PrivateFolder::~PrivateFolder() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);  // removes links, never what they point to
}

}  // namespace trubkom::common
