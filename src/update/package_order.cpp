#include "update/package_order.h"

#include <algorithm>
#include <set>

#include "common/ascii.h"
#include "common/date_code.h"
#include "common/paths.h"
#include "common/string_ops.h"

namespace trubkom::update {

std::string PackageBaseName(std::string_view package_path) {
  std::string_view name = common::FileNameOf(package_path);
  return std::string(name.substr(0, name.rfind('.')));
}

bool IsPackageName(std::string_view name) {
  constexpr std::string_view kExtension = ".upd";
  return name.size() > kExtension.size() &&
         common::AsciiLowered(name.substr(name.size() - kExtension.size())) == kExtension &&
         name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos &&
         name.find("..") == std::string_view::npos && name.front() != '.';
}

common::StringList PackageNamesOfIndex(const common::StringList& index_lines) {
  common::StringList names;
  std::set<std::string> seen;  // lower-cased
  for (const std::string& line : index_lines) {
    if (names.size() == kMaxIndexPackages) break;
    if (IsPackageName(line) && seen.insert(common::AsciiLowered(line)).second) {
      names.push_back(line);
    }
  }
  return names;
}

void SortByDate(std::vector<std::string>& package_paths) {
  std::stable_sort(
      package_paths.begin(), package_paths.end(), [](const std::string& a, const std::string& b) {
        return common::CompareUpdateDates(common::DateCodeOf(common::FileNameOf(a)),
                                          common::DateCodeOf(common::FileNameOf(b))) < 0;
      });
}

}  // namespace trubkom::update
