#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Catalogue files follow Windows conventions, and their names are written in any letter case:
// a name is looked up component by component, the exact spelling first, else one equal with
// ASCII letters folded. Paths are built with '/'; a '\' in catalogue data means '/'.
namespace trubkom::common {

// base + "/" + relative, with '\' in relative read as '/'.
std::string JoinPath(std::string_view base, std::string_view relative);

// The path of relative under base, each existing component in the spelling found on disk; the
// components from the first missing one on are kept as given, so new files keep their names.
std::string ResolvePath(std::string_view base, std::string_view relative);

// The spelling on disk of name (one component) in the folder open as folder_fd, by the rule
// above, or empty text when there is none. A link counts as the name it is, not followed.
std::string FindEntry(int folder_fd, const std::string& name);
// The same, with the entry's own status (a link not followed) when the name is there as
// written, which is how it is found nearly always: the caller need not ask for it again.
struct FoundEntry {
  std::string name;                   // empty when there is none
  std::optional<struct stat> status;  // when found as written
};
FoundEntry FindEntryWithStatus(int folder_fd, const std::string& name);

bool IsFile(const std::string& path);
bool FileExistsIn(std::string_view base, std::string_view relative);

// Names (not paths) of the files, not folders, in folder whose names match mask ("*.xml"),
// letter case ignored, in byte order of their names so that every run lists them alike.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view mask);
// The same for the folder open as folder_fd.
std::vector<std::string> ListFiles(int folder_fd, std::string_view mask);

// The last component of a path: what follows its last '/', or the whole text without one.
std::string_view FileNameOf(std::string_view path);

// The folder with a trailing '/'.
std::string WithTrailingSlash(std::string_view folder);

// The file:// address of an absolute local path, as pages must write it: every byte of the
// path but the unreserved characters of an address (letters A-Z a-z, digits, "-._~") and '/'
// becomes %XX. So a folder with blanks or Cyrillic letters in its name (UTF-8 bytes on disk)
// is named by ASCII text that a page of any encoding carries unchanged, and the browser,
// undoing the %XX, asks for exactly the bytes of the path.
std::string FileUrl(std::string_view absolute_path);

}  // namespace trubkom::common
