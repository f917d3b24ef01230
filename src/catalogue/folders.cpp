#include "catalogue/folders.h"

#include <sys/stat.h>

#include <filesystem>

#include "catalogue/config_file.h"
#include "common/ascii.h"
#include "common/atomic_file.h"
#include "common/paths.h"

namespace trubkom::catalogue {

namespace {

bool IsFolderIn(const std::string& folder, const char* name) {
  struct stat info;
  return ::stat(common::ResolvePath(folder, name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool ExistsIn(const std::string& folder, const char* name) {
  struct stat info;
  return ::lstat(common::ResolvePath(folder, name).c_str(), &info) == 0;
}

}  // namespace

bool IsCatalogueFolder(const std::string& folder) {
  return IsFolderIn(folder, "Base") || IsFolderIn(folder, "Templates");
}

bool HoldsCatalogueData(const std::string& folder) {
  if (common::IsFile(common::ResolvePath(folder, "Base/base.tkm"))) return true;
  const std::string base = common::ResolvePath(folder, "Base");
  for (const std::string& name : common::ListFiles(base, "*.xml")) {
    if (common::AsciiLowered(name).ends_with("_new.xml") && common::IsFile(base + "/" + name)) {
      return true;
    }
  }
  return false;
}

common::Status CheckCatalogueWritable(const std::string& working_folder) {
  if (common::Status status = common::CheckFolderWritable(working_folder); !status) return status;
  // A file, or a link to nothing, where Templates should be is found here too: pages could not
  // be written there either.
  if (!ExistsIn(working_folder, "Templates")) return {};
  return common::CheckFolderWritable(common::ResolvePath(working_folder, "Templates"));
}

const char* const kInstalledProgramFolder = TRUBKOM_INSTALLED_PROGRAM_FOLDER;

std::string ProgramFolder(const std::string& executable_folder) {
  std::string installed =
      (std::filesystem::path(executable_folder) / kInstalledProgramFolder).lexically_normal();
  while (installed.size() > 1 && installed.ends_with('/')) installed.pop_back();
  if (common::FileExistsIn(installed, kConfigFileName)) return installed;
  return executable_folder;
}

std::string PagesFolder(const Folders& folders) {
  return folders.pages.empty() ? common::ResolvePath(folders.working, "Templates") : folders.pages;
}

std::string DemoCatalogueFolder(const std::string& program_folder) {
  return common::ResolvePath(program_folder, "catalogue");
}

std::string DemoUpdatesFolder(const std::string& program_folder) {
  if (!IsFolderIn(program_folder, "demo-updates")) return {};
  return common::ResolvePath(program_folder, "demo-updates");
}

}  // namespace trubkom::catalogue
