// Model index lines against a criteria list (the input's first line): the compiled evaluation
// must give the textual answer for every line (compared where the ranges are short enough for
// the textual definition to try every value).
#include "common/line_file.h"
#include "fuzz_support.h"
#include "selection/criteria.h"
#include "selection/model_index.h"
#include "support/criteria_reference.h"

using namespace trubkom;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto [criteria, rest] = fuzz::SplitFirstLine(fuzz::AsText(data, size));
  common::StringList lines = common::SplitLinesAtCr(rest);
  selection::IndexedLines index(lines);
  selection::LineSet matching = selection::CompiledCriteria(criteria, index).MatchingLines();
  bool comparable = !fuzz::HasWideRange(criteria, 2000);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bool matches = selection::HasLine(matching, i);
    fuzz::Require(!comparable || matches == selection::MatchCriteriaList(criteria, lines[i]),
                  "compiled and textual criteria disagree");
    selection::IndexBrand(lines[i]);
    selection::IndexModel(lines[i]);
  }
  return 0;
}
