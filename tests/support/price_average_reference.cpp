#include "support/price_average_reference.h"

#include "catalogue/price_files.h"
#include "catalogue/price_number.h"
#include "catalogue/price_pass.h"
#include "common/ascii.h"
#include "common/line_file.h"

namespace trubkom::catalogue {

using common::AsciiLowered;
using common::StringList;

StringList LoadPriceLines(const std::string& working_folder) {
  StringList lines;
  ForEachPriceFile(working_folder, [&](const std::string& bytes) {
    for (std::string& line : common::SplitLinesAtAnyEnd(bytes)) lines.push_back(std::move(line));
  });
  common::SortFolded(lines);
  return lines;
}

std::string AveragePrice(const StringList& price_lines, std::string_view query) {
  std::string key = AsciiLowered(query) + "^";
  PriceSum sum;
  for (const std::string& line : price_lines) {
    if (common::Contains(AsciiLowered(line) + "^", key)) sum.Add(LinePrice(line));
  }
  return sum.Average();
}

}  // namespace trubkom::catalogue
