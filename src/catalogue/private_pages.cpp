#include "catalogue/private_pages.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "common/error.h"
#include "common/paths.h"

namespace trubkom::catalogue {

namespace fs = std::filesystem;

namespace {

// A name for the catalogue's folder that stays the same from run to run (FNV-1a of its path).
std::string FolderName(const std::string& working_folder) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (unsigned char c : working_folder) hash = (hash ^ c) * 1099511628211ULL;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return hex;
}

common::Error Failed(const std::error_code& error, const std::string& path) {
  return common::SystemError(error.value(), "Не удалось создать папку страниц", path, true);
}

}  // namespace

common::Result<std::string> PrivatePagesFolder(const std::string& working_folder,
                                               const std::string& root) {
  const std::string folder = common::JoinPath(root, FolderName(working_folder));
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) return Failed(error, folder);
  // Only the user reads the pages: they may show what the user chose to compare.
  if (::chmod(root.c_str(), 0700) != 0 || ::chmod(folder.c_str(), 0700) != 0) {
    return common::SystemError(errno, "Не удалось закрыть папку страниц", folder, true);
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    if (entry.is_symlink()) fs::remove(entry.path(), error);
  }
  const fs::path templates = common::ResolvePath(working_folder, "Templates");
  for (const fs::directory_entry& entry : fs::directory_iterator(templates, error)) {
    const fs::path link = fs::path(folder) / entry.path().filename();
    if (!fs::exists(fs::symlink_status(link))) fs::create_symlink(entry.path(), link, error);
  }
  if (error) return Failed(error, folder);
  return folder;
}

}  // namespace trubkom::catalogue
