#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/line_table.h"
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

// An index's lines with their entries "|P(V)" read once and kept by property: for each property
// a stream of its entries in line order, each the step from the line of the entry before and
// the value's code, as numbers of seven bits a byte. Two or three bytes an entry, against the
// five to seven of its text.
class IndexedLines {
 public:
  explicit IndexedLines(common::LineTable lines = {});

  // A value: a plain decimal below 2^31 is its own code; any other text has kTextCode plus its
  // number among the texts; a value without a ")" after it has kUnclosed and equals nothing.
  static constexpr std::uint32_t kTextCode = 0x80000000u;
  static constexpr std::uint32_t kUnclosed = 0xFFFFFFFFu;
  static constexpr std::uint32_t kNoSuchText = 0xFFFFFFFEu;  // a text no entry has

  // The entries of one property, read in line order; a line has one for each of its entries.
  class Postings {
   public:
    bool Next(std::uint32_t& line, std::uint32_t& value);  // false after the last

   private:
    friend class IndexedLines;
    const unsigned char* at_ = nullptr;
    const unsigned char* end_ = nullptr;
    std::uint32_t line_ = 0;
  };

  const common::LineTable& lines() const { return lines_; }
  // The entries of a property given as its text of digits; none when no line has it.
  Postings PostingsOf(int property) const;
  int PropertyId(std::string_view digits) const;  // -1 when no line has the property
  // The code of a value text as written in a criterion (kNoSuchText when no entry has it).
  std::uint32_t CodeOf(std::string_view value) const;
  // The number a coded value stands for when it is a plain decimal.
  std::optional<long long> NumberOf(std::uint32_t code) const;
  std::size_t MemoryBytes() const;

 private:
  struct RawEntry;
  template <typename Visit>
  void ForEachEntry(Visit visit) const;
  // Its id; the next after the known ones when first seen.
  int PropertyIdOf(const RawEntry& entry, std::size_t known);
  std::uint32_t InternValue(std::string_view value);  // of a value that is no small number

  common::LineTable lines_;
  std::vector<int> small_property_ids_;                        // by plain number below 1024
  std::unordered_map<std::string, int> property_ids_;          // any other text of digits
  std::vector<std::string> postings_;                          // by property id
  std::unordered_map<std::string, std::uint32_t> text_codes_;  // value text -> its number
  std::vector<long long> text_numbers_;  // by text number: its plain decimal, or kNotANumber
};

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
