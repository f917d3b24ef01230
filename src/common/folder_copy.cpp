#include "common/folder_copy.h"

#include <unistd.h>

#include <filesystem>

#include "common/error.h"

namespace trubkom::common {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCopyFailed = "Не удалось скопировать папку в";

// Copies the entries of from into the existing folder to.
Status CopyEntries(const fs::path& from, const fs::path& to) {
  std::error_code error;
  auto entries = fs::recursive_directory_iterator(from, error);
  for (; !error && entries != fs::recursive_directory_iterator(); entries.increment(error)) {
    const fs::directory_entry& entry = *entries;
    const fs::path target = to / entry.path().lexically_relative(from);
    std::error_code failed;
    if (entry.is_symlink(failed)) {
      fs::copy_symlink(entry.path(), target, failed);
    } else if (entry.is_directory(failed)) {
      fs::create_directory(target, failed);
    } else if (entry.is_regular_file(failed)) {
      fs::copy_file(entry.path(), target, failed);
      if (!failed) fs::permissions(target, fs::perms::owner_write, fs::perm_options::add, failed);
    }
    if (failed) return SystemError(failed.value(), kCopyFailed, target.string(), true);
  }
  if (error) return SystemError(error.value(), "Не удалось прочитать", from.string(), false);
  return {};
}

}  // namespace

Status CopyFolder(const std::string& from, const std::string& to) {
  std::error_code error;
  if (fs::exists(to, error)) {
    if (!fs::is_directory(to, error) || !fs::is_empty(to, error)) {
      return ErrorAbout(ErrorCode::kRefused, kCopyFailed, to, "там уже что-то есть");
    }
    fs::remove(to, error);
  }
  const fs::path partial = to + ".trubkom-" + std::to_string(::getpid()) + "-copy";
  fs::remove_all(partial, error);  // left by a copy that was cut short
  error.clear();
  fs::create_directories(partial.parent_path(), error);
  if (!error) fs::create_directory(partial, error);
  if (error) return SystemError(error.value(), kCopyFailed, to, true);
  Status copied = CopyEntries(from, partial);
  if (copied) fs::rename(partial, to, error);
  if (copied && error) copied = SystemError(error.value(), kCopyFailed, to, true);
  if (!copied) fs::remove_all(partial, error);
  return copied;
}

}  // namespace trubkom::common
