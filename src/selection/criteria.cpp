#include "selection/criteria.h"

#include <algorithm>
#include <optional>

#include "common/ascii.h"
#include "selection/model_index.h"

namespace trubkom::selection {

using common::Contains;
using common::SplitByChar;
using common::TextToInt;

namespace {

// ---- Reading a criterion: shared by nothing, so that the textual reference stays a plain
// transcription of the rules and the compiled form is checked against it. --------------------

common::StringList Alternatives(std::string_view criterion) {
  if (!Contains(criterion, "[")) return {std::string(criterion)};
  std::string_view inner =
      criterion.size() >= 2 ? criterion.substr(1, criterion.size() - 2) : std::string_view();
  return SplitByChar(inner, '%');
}

struct Head {
  bool negated;
  std::string property;
};

Head ReadHead(std::string_view alternative) {
  std::string_view head = alternative.substr(0, alternative.find('('));
  Head result{Contains(head, "!"), {}};
  for (char c : head) {
    if (c != '!') result.property += c;
  }
  return result;
}

// The items between the first "(" and the first ")" after it; a missing ")" lets the list run
// to the end of the criterion, and a missing "(" leaves no item at all.
common::StringList ReadItems(std::string_view alternative) {
  std::size_t open = alternative.find('(');
  if (open == std::string_view::npos) return {};
  std::string_view rest = alternative.substr(open + 1);
  return SplitByChar(rest.substr(0, rest.find(')')), ';');
}

bool IsRange(std::string_view item) { return Contains(item, "-"); }
long long RangeFrom(std::string_view item) { return TextToInt(item.substr(0, item.find('-'))); }
long long RangeTo(std::string_view item) { return TextToInt(item.substr(item.find('-') + 1)); }

}  // namespace

bool MatchCriterion(std::string_view criterion, std::string_view line) {
  bool result = false;
  for (const std::string& alternative : Alternatives(criterion)) {
    Head head = ReadHead(alternative);
    std::string needle = "|" + head.property + "(";
    if (!Contains(line, needle)) {
      result = head.negated;
    } else {
      for (const std::string& item : ReadItems(alternative)) {
        bool found = false;
        if (IsRange(item)) {
          for (long long v = RangeFrom(item), b = RangeTo(item); v <= b && !found; ++v) {
            found = Contains(line, needle + std::to_string(v) + ")");
          }
        } else {
          found = Contains(line, needle + item + ")");
        }
        result = head.negated ? !found : found;
        if (result) break;
      }
    }
    if (result) return true;
  }
  return result;
}

bool MatchCriteriaList(std::string_view criteria_list, std::string_view line) {
  bool any = false;
  for (const std::string& criterion : common::SplitCarets(criteria_list)) {
    if (criterion.empty()) continue;
    if (!MatchCriterion(criterion, line)) return false;
    any = true;
  }
  return any;
}

// ---- The index, read once ----------------------------------------------------------------

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool AllDigits(std::string_view text) { return std::all_of(text.begin(), text.end(), IsDigit); }

// The number whose plain decimal text (as std::to_string writes it) is text.
std::optional<long long> PlainDecimal(std::string_view text) {
  std::string_view digits = text.starts_with('-') ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 18 || !AllDigits(digits)) return std::nullopt;
  if (digits.size() > 1 && digits[0] == '0') return std::nullopt;
  if (text.starts_with('-') && digits == "0") return std::nullopt;
  return TextToInt(text);
}

IndexedLines::Entry MakeEntry(int property, std::string_view rest) {
  std::size_t close = rest.find(')');
  std::string_view value = rest.substr(0, close);
  std::optional<long long> number = PlainDecimal(value);
  return {property, value, number.value_or(0), close != std::string_view::npos, number.has_value()};
}

}  // namespace

IndexedLines::IndexedLines(const common::StringList& lines) : lines_(lines) {
  line_starts_.reserve(lines.size() + 1);
  for (const std::string& line : lines) {
    line_starts_.push_back(entries_.size());
    std::string_view text = line;
    // Every "|" digits "(" is the start of an entry, wherever it stands in the line.
    for (std::size_t bar = text.find('|'); bar != std::string_view::npos;
         bar = text.find('|', bar + 1)) {
      std::size_t end = bar + 1;
      while (end < text.size() && IsDigit(text[end])) ++end;
      if (end >= text.size() || text[end] != '(') continue;
      entries_.push_back(
          MakeEntry(InternProperty(text.substr(bar + 1, end - bar - 1)), text.substr(end + 1)));
    }
    std::stable_sort(entries_.begin() + static_cast<std::ptrdiff_t>(line_starts_.back()),
                     entries_.end(),
                     [](const Entry& a, const Entry& b) { return a.property < b.property; });
  }
  line_starts_.push_back(entries_.size());
}

std::pair<const IndexedLines::Entry*, const IndexedLines::Entry*> IndexedLines::EntriesOf(
    std::size_t i, int property) const {
  const Entry* first = entries_.data() + line_starts_[i];
  const Entry* last = entries_.data() + line_starts_[i + 1];
  return std::equal_range(first, last, Entry{property, {}, 0, false, false},
                          [](const Entry& a, const Entry& b) { return a.property < b.property; });
}

namespace {

// Plain numbers below 1000 are their own id; any other text of digits ("", "007") gets an id
// from 1000 on.
constexpr int kFirstOtherId = 1000;

int PlainPropertyId(std::string_view digits) {
  if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) return -1;
  return static_cast<int>(TextToInt(digits));
}

}  // namespace

int IndexedLines::InternProperty(std::string_view digits) {
  int id = PlainPropertyId(digits);
  if (id >= 0) return id;
  int next = kFirstOtherId + static_cast<int>(property_ids_.size());
  return property_ids_.try_emplace(std::string(digits), next).first->second;
}

int IndexedLines::PropertyId(std::string_view digits) const {
  int id = PlainPropertyId(digits);
  if (id >= 0) return id;
  auto found = property_ids_.find(std::string(digits));
  return found == property_ids_.end() ? -1 : found->second;
}

// ---- Compiled criteria ---------------------------------------------------------------------

namespace {

struct Item {
  bool range;
  long long from, to;
  std::string text;

  bool Accepts(const IndexedLines::Entry& entry) const {
    if (!entry.closed) return false;
    if (!range) return entry.value == text;
    return entry.plain_decimal && from <= entry.number && entry.number <= to;
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
};

}  // namespace

struct CompiledCriteria::Criterion {
  std::vector<Alternative> alternatives;
};

namespace {

Alternative CompileAlternative(std::string_view text, const IndexedLines& index) {
  Head head = ReadHead(text);
  Alternative alternative{
      head.negated, AllDigits(head.property), -1, "|" + head.property + "(", {}};
  if (alternative.by_entries) alternative.property = index.PropertyId(head.property);
  for (const std::string& item : ReadItems(text)) {
    if (IsRange(item)) {
      alternative.items.push_back({true, RangeFrom(item), RangeTo(item), {}});
    } else {
      alternative.items.push_back({false, 0, 0, item});
    }
  }
  return alternative;
}

// The entries of a property whose text is not all digits, found by searching the line.
std::vector<IndexedLines::Entry> SearchEntries(std::string_view line, const std::string& needle) {
  std::vector<IndexedLines::Entry> entries;
  for (std::size_t at = line.find(needle); at != std::string_view::npos;
       at = line.find(needle, at + 1)) {
    entries.push_back(MakeEntry(0, line.substr(at + needle.size())));
  }
  return entries;
}

template <typename Entries>
bool AlternativeHolds(const Alternative& alternative, const Entries& entries) {
  if (entries.first == entries.second) return alternative.negated;
  for (const Item& item : alternative.items) {
    bool found = std::any_of(entries.first, entries.second,
                             [&](const IndexedLines::Entry& e) { return item.Accepts(e); });
    if (found != alternative.negated) return true;
  }
  return false;
}

}  // namespace

CompiledCriteria::CompiledCriteria(std::string_view criteria_list, const IndexedLines& index)
    : index_(index) {
  for (const std::string& text : common::SplitCarets(criteria_list)) {
    if (text.empty()) continue;
    Criterion criterion;
    for (const std::string& alternative : Alternatives(text)) {
      criterion.alternatives.push_back(CompileAlternative(alternative, index));
    }
    criteria_.push_back(std::move(criterion));
  }
}

CompiledCriteria::~CompiledCriteria() = default;
CompiledCriteria::CompiledCriteria(CompiledCriteria&&) noexcept = default;

bool CompiledCriteria::Matches(std::size_t line) const {
  if (criteria_.empty()) return false;
  for (const Criterion& criterion : criteria_) {
    bool holds = false;
    for (const Alternative& alternative : criterion.alternatives) {
      if (alternative.by_entries) {
        auto entries = alternative.property < 0
                           ? std::pair<const IndexedLines::Entry*, const IndexedLines::Entry*>{}
                           : index_.EntriesOf(line, alternative.property);
        holds = AlternativeHolds(alternative, entries);
      } else {
        auto found = SearchEntries(index_.lines()[line], alternative.needle);
        holds = AlternativeHolds(alternative, std::pair{found.cbegin(), found.cend()});
      }
      if (holds) break;
    }
    if (!holds) return false;
  }
  return true;
}

common::StringList FilterModels(std::string_view criteria_list, const IndexedLines& index) {
  CompiledCriteria criteria(criteria_list, index);
  common::StringList items;
  for (std::size_t i = 0; i < index.lines().size(); ++i) {
    if (!criteria.Matches(i)) continue;
    const std::string& line = index.lines()[i];
    items.push_back(std::string(IndexBrand(line)) + " " + std::string(IndexModel(line)) + " *");
  }
  common::SortFolded(items);
  return items;
}

std::vector<std::size_t> CountMatchesWithEach(std::string_view base_list,
                                              const common::StringList& extra_criteria,
                                              const IndexedLines& index) {
  CompiledCriteria base(base_list, index);
  std::vector<CompiledCriteria> extras;
  for (const std::string& extra : extra_criteria) extras.emplace_back(extra, index);
  std::vector<std::size_t> counts(extras.size(), 0);
  for (std::size_t line = 0; line < index.lines().size(); ++line) {
    if (!base.empty() && !base.Matches(line)) continue;
    for (std::size_t i = 0; i < extras.size(); ++i) {
      // Base and extra both empty make an empty list, which matches nothing.
      bool holds = extras[i].empty() ? !base.empty() : extras[i].Matches(line);
      if (holds) ++counts[i];
    }
  }
  return counts;
}

}  // namespace trubkom::selection
