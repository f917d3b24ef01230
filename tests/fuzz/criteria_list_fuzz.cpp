// A criteria list (the first line) and extra criteria (one a line) over a fixed index: the
// wizard's one-pass counts must be the sizes of the results of each list on its own.
#include "common/line_file.h"
#include "fuzz_support.h"
#include "selection/criteria.h"
#include "support/criteria_reference.h"

using namespace trubkom;

namespace {

const common::StringList kIndex = {
    "Nokia|3310|48(0)|0(1)|4(2)|12(10;20)|\\nokia\\3310.jpg",
    "Nokia|N80|48(1)|0(2)|4(04)|12(15)|30(1-3)|",
    "Siemens|C35|48(0)|0(1)|5(3)|12(-5)|!1(2)|",
    "LG|G1|48(0)|0(12)|4(2)|12()|(7)|",
    "Sony-Ericsson|T68|48(2)|0(1)|4(2)|12(99999999999999999999)|",
    "Motorola|V3|48(0)|0(1)|4(2|12(8)",
    "Alcatel|OT|",
    "",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto [base, rest] = fuzz::SplitFirstLine(fuzz::AsText(data, size));
  common::StringList extras = common::SplitLinesAtAnyEnd(rest);
  if (extras.size() > 64) extras.resize(64);
  selection::IndexedLines index(kIndex);
  std::vector<std::size_t> counts = selection::CountMatchesWithEach(base, extras, index);
  fuzz::Require(counts.size() == extras.size(), "a count for every criterion");
  for (std::size_t i = 0; i < extras.size(); ++i) {
    std::string list = std::string(base) + extras[i] + "^";
    common::StringList rows = selection::FilterModels(list, index);
    fuzz::Require(counts[i] == rows.size(), "count and result differ");
    if (fuzz::HasWideRange(list, 2000)) continue;
    std::size_t textual = 0;
    for (const std::string& line : kIndex) textual += selection::MatchCriteriaList(list, line);
    fuzz::Require(rows.size() == textual, "result and textual matches differ");
  }
  return 0;
}
