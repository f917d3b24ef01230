#include "selection/new_models.h"

#include <algorithm>
#include <filesystem>

#include "common/date_code.h"
#include "common/line_file.h"
#include "common/paths.h"

namespace trubkom::selection {

namespace {

std::string FileName(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

}  // namespace

common::StringList FindNewModelFiles(const std::string& working_folder) {
  std::string folder = common::ResolvePath(working_folder, "updates");
  common::StringList files;
  for (const std::string& name : common::ListFiles(folder, "*.new")) {
    std::string path = folder + "/" + name;
    auto rows = NewModelRows(path);
    if (rows && !rows->empty() && rows->front().size() >= 2) files.push_back(path);
  }
  std::stable_sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) {
    return common::CompareUpdateDates(common::DateCodeOf(FileName(a)),
                                      common::DateCodeOf(FileName(b))) > 0;
  });
  return files;
}

std::string NewModelFileDate(const std::string& path) {
  std::string stem = std::filesystem::path(path).stem().string();
  return common::DisplayDate(stem.size() > 3 ? stem.substr(3, 6) : std::string{});
}

common::Result<common::StringList> NewModelRows(const std::string& path) {
  common::Result<std::string> bytes = common::ReadFile(path);
  if (!bytes) return bytes.error();
  return common::SplitLinesAtAnyEnd(*bytes);
}

}  // namespace trubkom::selection
