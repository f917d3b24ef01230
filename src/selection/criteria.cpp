#include "selection/criteria.h"

#include <string.h>

#include <algorithm>
#include <bit>
#include <limits>
#include <optional>

#include "common/ascii.h"
#include "selection/model_index.h"

namespace trubkom::selection {

using common::SplitByChar;
using common::TextToInt;

namespace {

struct Item {
  bool range;
  long long from, to;
  std::uint32_t code;  // of a single value
  std::string text;    // a single value as written, for properties searched in the text

  bool Accepts(std::uint32_t value, const IndexedLines& index) const {
    if (!range) return value == code && value != IndexedLines::kUnclosed;
    if (value < IndexedLines::kTextCode) return from <= value && value <= to;
    std::optional<long long> number = index.NumberOf(value);
    return number && from <= *number && *number <= to;
  }
  bool AcceptsText(std::optional<std::string_view> value) const {
    if (!value) return false;
    if (!range) return *value == text;
    std::optional<long long> number = PlainDecimal(*value);
    return number && from <= *number && *number <= to;
  }
};

struct Alternative {
  bool negated;
  // A property of digits is looked up among the entries read at load (-1: on no line);
  // any other property text is searched in the line as it stands.
  bool by_entries;
  int property;
  std::string needle;
  std::vector<Item> items;
  // Whether some item accepts each small number below the table's size: a line's entries are
  // then looked up, not compared with every item.
  std::vector<bool> accepts_small;

  bool AcceptsValue(std::uint32_t value, const IndexedLines& index) const {
    if (value < accepts_small.size()) return accepts_small[value];
    return std::any_of(items.begin(), items.end(),
                       [&](const Item& item) { return item.Accepts(value, index); });
  }
};

// Ranges are looked up in the table up to this number; beyond it the items are compared.
constexpr long long kSmallTableSize = 1 << 16;

std::vector<bool> SmallNumbersAccepted(const std::vector<Item>& items) {
  std::vector<bool> accepted;
  for (const Item& item : items) {
    long long from = item.range ? std::max(item.from, 0LL) : item.code;
    long long to = item.range ? std::min(item.to, kSmallTableSize - 1) : item.code;
    if (from > to || from >= kSmallTableSize) continue;
    if (static_cast<long long>(accepted.size()) <= to)
      accepted.resize(static_cast<std::size_t>(to) + 1);
    for (long long v = from; v <= to; ++v) accepted[static_cast<std::size_t>(v)] = true;
  }
  return accepted;
}

// The texts of a criterion's alternatives: "[a%b]" has two, with its first and last characters
// dropped whatever they are; a criterion without "[" is its own one alternative.
common::StringList AlternativeTexts(std::string_view criterion) {
  if (criterion.find('[') == std::string_view::npos) return {std::string(criterion)};
  if (criterion.size() < 2) return {};
  return SplitByChar(criterion.substr(1, criterion.size() - 2), '%');
}

// An alternative "P(items)": every "!" before the first "(" negates it and is no part of the
// property; the items run to the first ")" after it, or to the end; without "(" there are none.
// An item holding "-" is a range of the numbers before and after its first "-".
struct NamedProperty {
  bool negated = false;
  std::string property;
};

NamedProperty PropertyOfAlternative(std::string_view text) {
  NamedProperty named;
  for (char c : text.substr(0, text.find('('))) {
    if (c == '!') {
      named.negated = true;
    } else {
      named.property += c;
    }
  }
  return named;
}

Alternative CompileAlternative(std::string_view text, const IndexedLines& index) {
  const std::size_t open = std::min(text.find('('), text.size());
  auto [negated, property] = PropertyOfAlternative(text);
  Alternative alternative{negated, AllDigits(property), -1, "|" + property + "(", {}, {}};
  if (alternative.by_entries) alternative.property = index.PropertyId(property);
  if (open < text.size()) {
    std::string_view items = text.substr(open + 1);
    for (const std::string& item : SplitByChar(items.substr(0, items.find(')')), ';')) {
      const std::size_t dash = item.find('-');
      if (dash != std::string::npos) {
        std::string_view view = item;
        alternative.items.push_back(
            {true, TextToInt(view.substr(0, dash)), TextToInt(view.substr(dash + 1)), 0, {}});
      } else {
        alternative.items.push_back({false, 0, 0, index.CodeOf(item), item});
      }
    }
  }
  alternative.accepts_small = SmallNumbersAccepted(alternative.items);
  return alternative;
}

// Whether the alternative holds on a line whose entries of its property are given by
// accepts(item) (some entry equals the item) and present (the line has one at all).
template <typename Accepts>
bool AlternativeHolds(const Alternative& alternative, bool present, Accepts accepts) {
  if (!present) return alternative.negated;
  for (const Item& item : alternative.items) {
    if (accepts(item) != alternative.negated) return true;
  }
  return false;
}

// The values of the entries of a property whose text is not all digits, found by searching the
// line; nothing for an entry without a ")".
std::vector<std::optional<std::string_view>> SearchEntries(std::string_view line,
                                                           const std::string& needle) {
  std::vector<std::optional<std::string_view>> values;
  for (std::size_t at = line.find(needle); at != std::string_view::npos;
       at = line.find(needle, at + 1)) {
    std::string_view rest = line.substr(at + needle.size());
    std::size_t close = rest.find(')');
    values.push_back(close == std::string_view::npos ? std::nullopt
                                                     : std::optional(rest.substr(0, close)));
  }
  return values;
}

bool HoldsOnText(const Alternative& alternative, std::string_view line) {
  auto values = SearchEntries(line, alternative.needle);
  return AlternativeHolds(alternative, !values.empty(), [&](const Item& item) {
    return std::any_of(values.begin(), values.end(),
                       [&](const auto& value) { return item.AcceptsText(value); });
  });
}

// The alternative on one line whose entries of the property are values[first, last).
bool HoldsOnEntries(const Alternative& alternative, const IndexedLines& index,
                    const std::uint32_t* first, const std::uint32_t* last) {
  if (!alternative.negated) {
    // Some item equals some entry: the same as some entry being accepted by some item.
    return std::any_of(first, last,
                       [&](std::uint32_t v) { return alternative.AcceptsValue(v, index); });
  }
  return AlternativeHolds(alternative, first != last, [&](const Item& item) {
    return std::any_of(first, last, [&](std::uint32_t v) { return item.Accepts(v, index); });
  });
}

std::size_t Words(std::size_t lines) { return (lines + 63) / 64; }
void Set(LineSet& set, std::size_t line) { set[line / 64] |= std::uint64_t{1} << (line % 64); }
void Clear(LineSet& set, std::size_t line) { set[line / 64] &= ~(std::uint64_t{1} << (line % 64)); }

LineSet AllLines(std::size_t lines) {
  LineSet set(Words(lines), ~std::uint64_t{0});
  if (lines % 64 != 0) set.back() = (std::uint64_t{1} << (lines % 64)) - 1;
  return set;
}

// The lines on which the alternative holds. A line without the property holds exactly when the
// alternative is negated; the lines with it are visited once each, with all their entries.
LineSet LinesOfAlternative(const Alternative& alternative, const IndexedLines& index) {
  std::size_t count = index.lines().size();
  if (!alternative.by_entries) {
    LineSet set(Words(count), 0);
    for (std::size_t line = 0; line < count; ++line) {
      if (HoldsOnText(alternative, index.lines()[line])) Set(set, line);
    }
    return set;
  }
  LineSet set = alternative.negated ? AllLines(count) : LineSet(Words(count), 0);
  IndexedLines::Postings postings = index.PostingsOf(alternative.property);
  std::vector<std::uint32_t> values;  // of the entries of the line being read
  std::uint32_t current = 0;
  auto decide = [&] {
    if (HoldsOnEntries(alternative, index, values.data(), values.data() + values.size())) {
      Set(set, current);
    } else {
      Clear(set, current);
    }
    values.clear();
  };
  for (std::uint32_t line, value; postings.Next(line, value);) {
    if (!values.empty() && line != current) decide();
    current = line;
    values.push_back(value);
  }
  if (!values.empty()) decide();
  return set;
}

void Unite(LineSet& set, const LineSet& other) {
  for (std::size_t w = 0; w < set.size(); ++w) set[w] |= other[w];
}

void Intersect(LineSet& set, const LineSet& other) {
  for (std::size_t w = 0; w < set.size(); ++w) set[w] &= other[w];
}

std::size_t CountLines(const LineSet& set) {
  std::size_t count = 0;
  for (std::uint64_t word : set) count += static_cast<std::size_t>(std::popcount(word));
  return count;
}

}  // namespace

struct CompiledCriteria::Criterion {
  std::vector<Alternative> alternatives;
};

CompiledCriteria::CompiledCriteria(std::string_view criteria_list, const IndexedLines& index)
    : index_(index) {
  for (const std::string& text : common::SplitCarets(criteria_list)) {
    if (text.empty()) continue;
    Criterion criterion;
    for (const std::string& alternative : AlternativeTexts(text)) {
      criterion.alternatives.push_back(CompileAlternative(alternative, index));
    }
    criteria_.push_back(std::move(criterion));
  }
}

std::vector<std::string> CompiledCriteria::PropertiesRead(std::string_view criteria_list) {
  std::vector<std::string> read;
  for (const std::string& text : common::SplitCarets(criteria_list)) {
    if (text.empty()) continue;
    for (const std::string& alternative : AlternativeTexts(text)) {
      std::string property = PropertyOfAlternative(alternative).property;
      if (AllDigits(property)) read.push_back(std::move(property));
    }
  }
  return read;
}

CompiledCriteria::~CompiledCriteria() = default;
CompiledCriteria::CompiledCriteria(CompiledCriteria&&) noexcept = default;

LineSet CompiledCriteria::MatchingLines() const {
  std::size_t count = index_.lines().size();
  LineSet matching = AllLines(count);
  for (const Criterion& criterion : criteria_) {
    LineSet holds(Words(count), 0);
    for (const Alternative& alternative : criterion.alternatives) {
      Unite(holds, LinesOfAlternative(alternative, index_));
    }
    Intersect(matching, holds);
  }
  return matching;
}

namespace {

// The items of the lines criteria_list selects, in line order.
void AddMatchingItems(std::string_view criteria_list, const IndexedLines& index,
                      common::StringList& items) {
  LineSet matching = CompiledCriteria(criteria_list, index).MatchingLines();
  for (std::size_t i = 0; i < index.lines().size(); ++i) {
    if (!HasLine(matching, i)) continue;
    std::string_view line = index.lines()[i];
    items.push_back(std::string(IndexBrand(line)) + " " + std::string(IndexModel(line)) +
                    std::string(kFullDescriptionMark));
  }
}

}  // namespace

common::StringList FilterModels(std::string_view criteria_list, const IndexedLines& index) {
  common::StringList items;
  AddMatchingItems(criteria_list, index, items);
  common::SortFolded(items);
  return items;
}

common::StringList FilterModels(std::string_view criteria_list, const common::LinePieces& index) {
  const std::vector<std::string> properties = CompiledCriteria::PropertiesRead(criteria_list);
  std::vector<common::StringList> of_piece(index.size());
  index.ForEach([&](std::size_t piece, common::LineTable lines) {
    // One part, as the pieces are already read side by side; only the entries the criteria read.
    AddMatchingItems(criteria_list, IndexedLines(std::move(lines), 1, &properties),
                     of_piece[piece]);
  });
  common::StringList items;
  for (common::StringList& piece : of_piece) {
    items.insert(items.end(), std::make_move_iterator(piece.begin()),
                 std::make_move_iterator(piece.end()));
  }
  common::SortFolded(items);
  return items;
}

std::vector<std::size_t> CountMatchesWithEach(std::string_view base_list,
                                              const common::StringList& extra_criteria,
                                              const IndexedLines& index) {
  if (!base_list.empty() && !base_list.ends_with('^')) {
    // The base's last criterion runs on into each extra one: each list on its own.
    std::vector<std::size_t> counts;
    for (const std::string& extra : extra_criteria) {
      std::string list = std::string(base_list) + extra + "^";
      counts.push_back(CountLines(CompiledCriteria(list, index).MatchingLines()));
    }
    return counts;
  }
  LineSet base_lines = CompiledCriteria(base_list, index).MatchingLines();
  std::vector<std::size_t> counts;
  for (const std::string& extra : extra_criteria) {
    // An empty extra criterion is no condition: the base's lines.
    LineSet lines = CompiledCriteria(extra, index).MatchingLines();
    Intersect(lines, base_lines);
    counts.push_back(CountLines(lines));
  }
  return counts;
}

}  // namespace trubkom::selection
