#include "selection/model_index.h"

#include "common/line_file.h"
#include "common/paths.h"

namespace trubkom::selection {

std::optional<common::LineTable> LoadModelIndex(const std::string& working_folder) {
  std::string path = common::ResolvePath(working_folder, "Base/base.tkm");
  if (!common::IsFile(path)) return std::nullopt;
  common::ByteBuffer bytes;
  if (!common::ReadFileBytesInto(path, bytes)) return std::nullopt;
  return common::LineTable::SplitAtCr(std::move(bytes));
}

std::string_view IndexBrand(std::string_view line) { return line.substr(0, line.find('|')); }

std::string_view IndexModel(std::string_view line) {
  std::size_t first = line.find('|');
  if (first == std::string_view::npos) return {};
  std::string_view rest = line.substr(first + 1);
  std::size_t second = rest.find('|');
  return second == std::string_view::npos ? std::string_view() : rest.substr(0, second);
}

}  // namespace trubkom::selection
