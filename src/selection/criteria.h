#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/line_pieces.h"
#include "common/string_ops.h"
#include "selection/indexed_lines.h"

// The selection criteria over model index lines. A criterion is "P(items)" with items a ";"
// list of values "v" and ranges "a-b": the line has an entry "|P(v)" for one of them; "!" in
// P negates each item; "[alt%alt...]" holds when one alternative does. A criteria list joins
// criteria with "^" and needs all of them; an empty criterion, or a list without any, is no
// condition and keeps every line (the wizard's "Пока не знаю").
//
// The meaning is textual: MatchCriterion (tests/support/criteria_reference.h) searches the line's
// text exactly as the criterion says. CompiledCriteria over an IndexedLines gives the same answers
// far faster: each line's entries are read once per load and each criteria list is parsed once per
// step.
namespace trubkom::selection {

// The lines of an index that a criteria list selects, as bits: line i is bit i % 64 of word
// i / 64.
using LineSet = std::vector<std::uint64_t>;

inline bool HasLine(const LineSet& set, std::size_t line) {
  return line / 64 < set.size() && (set[line / 64] >> (line % 64) & 1) != 0;
}

class CompiledCriteria {
 public:
  CompiledCriteria(std::string_view criteria_list, const IndexedLines& index);
  ~CompiledCriteria();
  CompiledCriteria(CompiledCriteria&&) noexcept;

  // The lines that every criterion holds on, found all at once, a property's entries at a time.
  // Ask once and look lines up in the answer (HasLine): each call reads every entry again.
  LineSet MatchingLines() const;

  // The properties whose entries the criteria list reads from an index (IndexedLines): an index
  // built to answer only this list needs to keep no others.
  static std::vector<std::string> PropertiesRead(std::string_view criteria_list);

 private:
  struct Criterion;
  const IndexedLines& index_;
  std::vector<Criterion> criteria_;  // the non-empty ones
};

// The wizard's result items: "brand model *" of every matching line, sorted with ASCII letters
// folded.
common::StringList FilterModels(std::string_view criteria_list, const IndexedLines& index);

// The same over the index read a piece at a time, side by side (selection::OpenModelIndexPieces):
// for a command that asks once, without holding the index. Each line is judged on its own, so
// the items are those FilterModels gives for the whole index.
common::StringList FilterModels(std::string_view criteria_list, const common::LinePieces& index);

// For every extra criterion, how many items FilterModels would give for the base list followed
// by that criterion and "^", counted in one pass over the lines.
std::vector<std::size_t> CountMatchesWithEach(std::string_view base_list,
                                              const common::StringList& extra_criteria,
                                              const IndexedLines& index);

}  // namespace trubkom::selection
