#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/string_ops.h"
#include "selection/indexed_lines.h"

// The selection criteria over model index lines. A criterion is "P(items)" with items a ";"
// list of values "v" and ranges "a-b": the line has an entry "|P(v)" for one of them; "!" in
// P negates each item; "[alt%alt...]" holds when one alternative does. A criteria list joins
// criteria with "^" and needs all of them.
//
// The meaning is textual: MatchCriterion searches the line's text exactly as the criterion
// says. CompiledCriteria over an IndexedLines gives the same answers far faster: each line's
// entries are read once per load and each criteria list is parsed once per step.
namespace trubkom::selection {

// Whether the line satisfies the criterion, by substring search over the whole line.
bool MatchCriterion(std::string_view criterion, std::string_view line);

// Whether the line satisfies every non-empty criterion of the list (and there is one).
bool MatchCriteriaList(std::string_view criteria_list, std::string_view line);

// The lines of an index that a criteria list selects, as bits.
using LineSet = std::vector<std::uint64_t>;

class CompiledCriteria {
 public:
  CompiledCriteria(std::string_view criteria_list, const IndexedLines& index);
  ~CompiledCriteria();
  CompiledCriteria(CompiledCriteria&&) noexcept;

  bool Matches(std::size_t line) const;  // of one line, by all of them
  // Matches of every line at once, a property's entries at a time.
  LineSet MatchingLines() const;
  // A list without a criterion matches no line.
  bool empty() const { return criteria_.empty(); }

 private:
  struct Criterion;
  const IndexedLines& index_;
  std::vector<Criterion> criteria_;  // the non-empty ones
};

// The wizard's result items: "brand model *" of every matching line, sorted with ASCII letters
// folded.
common::StringList FilterModels(std::string_view criteria_list, const IndexedLines& index);

// For every extra criterion, how many items FilterModels would give for the base list followed
// by that criterion and "^", counted in one pass over the lines.
std::vector<std::size_t> CountMatchesWithEach(std::string_view base_list,
                                              const common::StringList& extra_criteria,
                                              const IndexedLines& index);

}  // namespace trubkom::selection
