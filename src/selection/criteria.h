#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/string_ops.h"

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

// The entries "|P(V)" of every index line, read once.
class IndexedLines {
 public:
  explicit IndexedLines(const common::StringList& lines);

  struct Entry {
    int property;            // interned text of P
    std::string_view value;  // text between "(" and the next ")"
    long long number;        // value as a plain decimal, when it is one
    bool closed;             // a ")" follows
    bool plain_decimal;
  };
  const common::StringList& lines() const { return lines_; }
  // The entries of line i, ordered by property.
  std::pair<const Entry*, const Entry*> EntriesOf(std::size_t i, int property) const;
  // The interned number of a property text of digits, or -1 when no line has it.
  int PropertyId(std::string_view digits) const;

 private:
  int InternProperty(std::string_view digits);

  const common::StringList& lines_;
  std::unordered_map<std::string, int> property_ids_;  // digits that are no plain number
  std::vector<Entry> entries_;
  std::vector<std::size_t> line_starts_;  // entries of line i: [line_starts_[i], [i+1])
};

class CompiledCriteria {
 public:
  CompiledCriteria(std::string_view criteria_list, const IndexedLines& index);
  ~CompiledCriteria();
  CompiledCriteria(CompiledCriteria&&) noexcept;

  bool Matches(std::size_t line) const;
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
