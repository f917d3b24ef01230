#include "common/paths.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>

#include "common/ascii.h"
#include "common/string_ops.h"

namespace trubkom::common {

namespace {

std::string Slashed(std::string_view text) {
  std::string result(text);
  std::replace(result.begin(), result.end(), '\\', '/');
  return result;
}

// The names in the listing, sorted; dir is closed.
std::vector<std::string> EntriesOf(DIR* dir) {
  std::vector<std::string> names;
  if (!dir) return names;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
  return EntriesOf(::opendir(folder.empty() ? "." : folder.c_str()));
}

std::vector<std::string> FolderEntries(int folder_fd) {
  // The listing reads through a descriptor of its own, whose position it moves.
  int own = ::openat(folder_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return own < 0 ? std::vector<std::string>{} : EntriesOf(::fdopendir(own));
}

// The first of the sorted entries equal to name with ASCII letters folded, or empty text.
std::string FoldedMatch(const std::vector<std::string>& entries, std::string_view name) {
  for (const std::string& entry : entries) {
    if (EqualsIgnoringAsciiCase(entry, name)) return entry;
  }
  return {};
}

// The spelling on disk of name inside folder, or empty when there is none.
std::string FindEntry(const std::string& folder, const std::string& name) {
  struct stat info;
  if (::lstat(JoinPath(folder, name).c_str(), &info) == 0) return name;
  return FoldedMatch(FolderEntries(folder), name);
}

// '*' any run of characters, '?' one character, anything else itself with ASCII case folded.
// Written here rather than taken from fnmatch, whose folding follows the locale and may refuse
// names that are not valid in its multibyte encoding.
bool MatchesMask(std::string_view mask, std::string_view name) {
  std::size_t m = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (m < mask.size() && mask[m] == '*') {
      star = m++;
      resume = n;
    } else if (m < mask.size() && (mask[m] == '?' || AsciiLower(mask[m]) == AsciiLower(name[n]))) {
      ++m;
      ++n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

// The characters an address may hold as they are (RFC 3986's unreserved ones), and '/'.
bool IsUnreservedOrSlash(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

}  // namespace

std::string JoinPath(std::string_view base, std::string_view relative) {
  std::string rel = Slashed(relative);
  if (base.empty()) return rel;
  if (!rel.empty() && rel.front() == '/') rel.erase(0, 1);
  std::string result(base);
  if (result.back() != '/') result += '/';
  return result + rel;
}

std::string ResolvePath(std::string_view base, std::string_view relative) {
  std::string path(base);
  bool missing = false;
  for (const std::string& part : SplitByChar(Slashed(relative), '/')) {
    if (part.empty() || part == ".") continue;
    std::string found = missing || part == ".." ? std::string() : FindEntry(path, part);
    if (found.empty()) missing = part != "..";
    path = JoinPath(path, found.empty() ? part : found);
  }
  return path;
}

std::string FindEntry(int folder_fd, const std::string& name) {
  return FindEntryWithStatus(folder_fd, name).name;
}

FoundEntry FindEntryWithStatus(int folder_fd, const std::string& name) {
  struct stat info;
  if (::fstatat(folder_fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return {name, info};
  return {FoldedMatch(FolderEntries(folder_fd), name), std::nullopt};
}

bool IsFile(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool FileExistsIn(std::string_view base, std::string_view relative) {
  return IsFile(ResolvePath(base, relative));
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view mask) {
  std::vector<std::string> files;
  for (const std::string& name : FolderEntries(folder)) {
    if (MatchesMask(mask, name) && IsFile(JoinPath(folder, name))) {
      files.push_back(name);
    }
  }
  return files;
}

std::vector<std::string> ListFiles(int folder_fd, std::string_view mask) {
  std::vector<std::string> files;
  for (const std::string& name : FolderEntries(folder_fd)) {
    struct stat info;
    if (MatchesMask(mask, name) && ::fstatat(folder_fd, name.c_str(), &info, 0) == 0 &&
        S_ISREG(info.st_mode)) {
      files.push_back(name);
    }
  }
  return files;
}

std::string_view FileNameOf(std::string_view path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string WithTrailingSlash(std::string_view folder) {
  std::string result(folder);
  if (result.empty() || result.back() != '/') result += '/';
  return result;
}

std::string FileUrl(std::string_view absolute_path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (char c : absolute_path) {
    if (IsUnreservedOrSlash(c)) {
      url += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 0xF];
    }
  }
  return url;
}

}  // namespace trubkom::common
