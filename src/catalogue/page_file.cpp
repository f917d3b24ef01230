#include "catalogue/page_file.h"

#include "common/atomic_file.h"
#include "common/line_file.h"
#include "common/paths.h"
#include "common/warnings.h"

namespace trubkom::catalogue {

std::string TemplatesPath(const std::string& working_folder, std::string_view file_name) {
  return common::ResolvePath(working_folder, "Templates/" + std::string(file_name));
}

common::StringList ReadTemplate(const std::string& working_folder, std::string_view file_name) {
  return common::SplitLinesAtCr(common::ValueOrWarn(
      common::ReadFile(TemplatesPath(working_folder, file_name), common::kTemplateFileCap)));
}

void FillTemplate(common::StringList& lines, const std::vector<Placeholder>& values) {
  for (std::string& line : lines) {
    for (const auto& [name, value] : values) {
      std::string placeholder = "<!" + name + "!>";
      if (common::Contains(line, placeholder)) line = common::ReplaceAll(line, placeholder, value);
    }
  }
}

std::string PicturePath(const std::string& working_folder, const std::string& brand,
                        const std::string& file) {
  std::string folder = common::ResolvePath(working_folder, "Pics/" + brand) + "/";
  return file.empty() ? folder : common::ResolvePath(folder, file);
}

std::string WrittenPagePath(const Folders& folders, std::string_view file_name) {
  return common::JoinPath(PagesFolder(folders), file_name);
}

PageFile ShowPage(const Folders& folders, const common::StringList& lines,
                  common::Browser& browser) {
  std::string path = WrittenPagePath(folders, "temp.html");
  // Page files written by a program that was killed meanwhile leave their temporary files.
  common::RemoveStaleTemporaries(path.substr(0, path.rfind('/')));
  if (common::Status written = common::WriteLinesCrLf(path, lines); !written) {
    return written.error();
  }
  browser.ShowFile(path);
  return path;
}

}  // namespace trubkom::catalogue
