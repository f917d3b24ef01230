#pragma once

#include <span>
#include <string>
#include <string_view>

#include "common/line_file.h"
#include "common/paths.h"
#include "common/string_ops.h"
#include "common/warnings.h"

// Shops' price lists adv/prices/*.prc: line 1 the shop's name, line 2 its page in
// adv/prices/html/, then price lines "brand model^price". A line belongs to a query "brand
// model" when, lowered and with "^" appended, it contains the lowered query followed by "^".
// Both the price pass and the price block read them through here.
namespace trubkom::catalogue {

// The folder of the price lists, as found on disk.
std::string PriceFolder(const std::string& working_folder);

// The names of the price lists in the folder, in listing order.
common::StringList PriceFileNames(const std::string& folder);

// Calls visit(bytes) for each of the price files named, in order, the bytes in one buffer reused
// from file to file.
template <typename Visit>
void ForEachPriceFile(const std::string& folder, std::span<const std::string> names, Visit visit) {
  std::string bytes;
  for (const std::string& name : names) {
    common::Status read = common::ReadFileInto(common::JoinPath(folder, name), bytes);
    if (read) {
      visit(bytes);
    } else {
      common::WarnUnlessMissing(read.error());
    }
  }
}

// The same for every price file of the working folder, in listing order.
template <typename Visit>
void ForEachPriceFile(const std::string& working_folder, Visit visit) {
  const std::string folder = PriceFolder(working_folder);
  ForEachPriceFile(folder, PriceFileNames(folder), visit);
}

// Whether a text holds a line end: a key that does is held by no line.
inline bool HasLineEnd(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace trubkom::catalogue
