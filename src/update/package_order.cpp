#include "update/package_order.h"

#include <algorithm>
#include <set>

#include "common/ascii.h"
#include "common/date_code.h"
#include "common/string_ops.h"

namespace trubkom::update {

namespace {

std::string_view FileNameOf(std::string_view path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

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
  std::stable_sort(package_paths.begin(), package_paths.end(),
                   [](const std::string& a, const std::string& b) {
                     return common::CompareUpdateDates(common::DateCodeOf(FileNameOf(a)),
                                                       common::DateCodeOf(FileNameOf(b))) < 0;
                   });
}

}  // namespace trubkom::update
