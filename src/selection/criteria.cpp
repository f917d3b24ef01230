#include "selection/criteria.h"

#include <string.h>

#include <algorithm>
#include <bit>
#include <limits>
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

// A plain decimal from 0 to 2^31 - 1 that is its own code.
std::optional<std::uint32_t> SmallNumber(std::string_view text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value >= IndexedLines::kTextCode) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

constexpr long long kNotANumber = std::numeric_limits<long long>::min();
constexpr std::size_t kSmallProperties = 1024;

// Plain numbers below kSmallProperties, the usual properties, are looked up in a table.
int SmallProperty(std::string_view digits) {
  if (digits.empty() || digits.size() > 3 || (digits.size() > 1 && digits[0] == '0')) return -1;
  int value = 0;
  for (char c : digits) value = value * 10 + (c - '0');
  return value;
}

}  // namespace

// One entry "|P(V)" as read: P's digits and, when they are a plain number below
// kSmallProperties, that number (else -1); V's text (none without a ")" after it) and, when it
// is a plain decimal below 2^31, that number (else -1).
struct IndexedLines::RawEntry {
  std::uint32_t line;
  std::string_view digits;
  int small_property;
  std::optional<std::string_view> value;
  long long small_value;
};

// Calls visit(entry) for every "|" digits "(" of every line, wherever it stands in the line.
// Each entry is read in one sweep, its numbers on the way: from its ")" the next "|" is usually
// the next byte; a "|" inside a value starts an entry of its own.
template <typename Visit>
void IndexedLines::ForEachEntry(Visit visit) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    std::string_view text = lines_[i];
    const char* const end = text.data() + text.size();
    auto find_bar = [end](const char* from) -> const char* {
      if (from >= end) return nullptr;
      return static_cast<const char*>(memchr(from, '|', static_cast<std::size_t>(end - from)));
    };
    for (const char* bar = find_bar(text.data()); bar != nullptr;) {
      const char* open = bar + 1;
      int property = 0;
      for (; open < end && IsDigit(*open); ++open)
        property = std::min(property * 10 + (*open - '0'), 1 << 20);
      if (open == end || *open != '(') {
        bar = find_bar(open);
        continue;
      }
      RawEntry entry{static_cast<std::uint32_t>(i),
                     {bar + 1, static_cast<std::size_t>(open - bar - 1)},
                     -1,
                     std::nullopt,
                     -1};
      if (!entry.digits.empty() && entry.digits.size() <= 3 &&
          (entry.digits.size() == 1 || entry.digits[0] != '0')) {
        entry.small_property = property;
      }
      const char* next_bar = nullptr;
      const char* close = open + 1;
      std::uint64_t number = 0;
      bool digits_only = true;
      for (; close < end && *close != ')'; ++close) {
        if (*close == '|' && next_bar == nullptr) next_bar = close;
        auto digit = static_cast<unsigned>(static_cast<unsigned char>(*close) - '0');
        digits_only &= digit < 10;
        number = number * 10 + digit;
      }
      if (close < end) {
        std::string_view value(open + 1, static_cast<std::size_t>(close - open - 1));
        entry.value = value;
        bool plain = digits_only && !value.empty() && value.size() <= 10 &&
                     (value.size() == 1 || value[0] != '0');
        if (plain && number < kTextCode) entry.small_value = static_cast<long long>(number);
      }
      visit(entry);
      if (next_bar == nullptr && close < end) {
        next_bar = close + 1 < end && close[1] == '|' ? close + 1 : find_bar(close + 1);
      }
      bar = next_bar;
    }
  }
}

namespace {

unsigned char* PutNumber(unsigned char* out, std::uint32_t number) {
  for (; number >= 0x80; number >>= 7) *out++ = static_cast<unsigned char>(number | 0x80);
  *out++ = static_cast<unsigned char>(number);
  return out;
}

std::uint32_t ReadNumber(const unsigned char*& at) {
  std::uint32_t number = 0;
  for (int shift = 0;; shift += 7) {
    unsigned char byte = *at++;
    number |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return number;
  }
}

// A value's code as stored: the small numbers, the commonest, in the fewest bytes.
std::uint32_t Packed(std::uint32_t code) {
  if (code == IndexedLines::kUnclosed) return 0;
  if (code < IndexedLines::kTextCode) return 2 * code + 1;
  return 2 * (code & ~IndexedLines::kTextCode) + 2;
}

std::uint32_t Unpacked(std::uint32_t packed) {
  if (packed == 0) return IndexedLines::kUnclosed;
  if (packed % 2 == 1) return (packed - 1) / 2;
  return IndexedLines::kTextCode | ((packed - 2) / 2);
}

}  // namespace

namespace {

// A property's postings as they are written. Appended, not written ahead into zeroed room, so
// that the memory the stream has reserved but not used yet stays untouched.
struct PostingWriter {
  std::string bytes;
  std::uint32_t last_line = 0;

  void Add(std::uint32_t line, std::uint32_t packed_value) {
    unsigned char entry[10];  // two numbers of at most five bytes
    unsigned char* end = PutNumber(PutNumber(entry, line - last_line), packed_value);
    bytes.append(reinterpret_cast<const char*>(entry), static_cast<std::size_t>(end - entry));
    last_line = line;
  }
};

}  // namespace

// One pass over the lines: each entry is added to its property's stream as it is read.
IndexedLines::IndexedLines(common::LineTable lines)
    : lines_(std::move(lines)), small_property_ids_(kSmallProperties, -1) {
  std::vector<PostingWriter> writers;  // by property id
  ForEachEntry([&](const RawEntry& entry) {
    auto id = static_cast<std::size_t>(PropertyIdOf(entry, writers.size()));
    if (id == writers.size()) writers.emplace_back();
    std::uint32_t value = entry.small_value >= 0 ? static_cast<std::uint32_t>(entry.small_value)
                          : entry.value          ? InternValue(*entry.value)
                                                 : kUnclosed;
    writers[id].Add(entry.line, Packed(value));
  });
  for (PostingWriter& writer : writers) {
    writer.bytes.shrink_to_fit();
    postings_.push_back(std::move(writer.bytes));
  }
}

bool IndexedLines::Postings::Next(std::uint32_t& line, std::uint32_t& value) {
  if (at_ == end_) return false;
  line_ += ReadNumber(at_);
  line = line_;
  value = Unpacked(ReadNumber(at_));
  return true;
}

int IndexedLines::PropertyIdOf(const RawEntry& entry, std::size_t known) {
  int& id = entry.small_property >= 0
                ? small_property_ids_[static_cast<std::size_t>(entry.small_property)]
                : property_ids_.try_emplace(std::string(entry.digits), -1).first->second;
  if (id < 0) id = static_cast<int>(known);
  return id;
}

int IndexedLines::PropertyId(std::string_view digits) const {
  int small = SmallProperty(digits);
  if (small >= 0) return small_property_ids_[static_cast<std::size_t>(small)];
  auto found = property_ids_.find(std::string(digits));
  return found == property_ids_.end() ? -1 : found->second;
}

std::uint32_t IndexedLines::InternValue(std::string_view value) {
  auto [found, added] =
      text_codes_.try_emplace(std::string(value), static_cast<std::uint32_t>(text_numbers_.size()));
  if (added) text_numbers_.push_back(PlainDecimal(value).value_or(kNotANumber));
  return kTextCode | found->second;
}

std::uint32_t IndexedLines::CodeOf(std::string_view value) const {
  if (auto small = SmallNumber(value)) return *small;
  auto found = text_codes_.find(std::string(value));
  return found == text_codes_.end() ? kNoSuchText : kTextCode | found->second;
}

std::optional<long long> IndexedLines::NumberOf(std::uint32_t code) const {
  if (code < kTextCode) return code;
  if (code == kUnclosed || code == kNoSuchText) return std::nullopt;
  long long number = text_numbers_[code & ~kTextCode];
  if (number == kNotANumber) return std::nullopt;
  return number;
}

IndexedLines::Postings IndexedLines::PostingsOf(int property) const {
  Postings postings;
  if (property < 0 || static_cast<std::size_t>(property) >= postings_.size()) return postings;
  const std::string& stream = postings_[static_cast<std::size_t>(property)];
  postings.at_ = reinterpret_cast<const unsigned char*>(stream.data());
  postings.end_ = postings.at_ + stream.size();
  return postings;
}

std::size_t IndexedLines::MemoryBytes() const {
  std::size_t bytes = sizeof *this + lines_.MemoryBytes() +
                      small_property_ids_.capacity() * sizeof(int) +
                      text_numbers_.capacity() * sizeof(long long);
  for (const std::string& stream : postings_) bytes += sizeof stream + stream.capacity();
  for (const auto& [text, code] : text_codes_) bytes += sizeof(text) + 16 + text.capacity();
  for (const auto& [text, id] : property_ids_) bytes += sizeof(text) + 16 + text.capacity();
  return bytes;
}

// ---- Compiled criteria ---------------------------------------------------------------------

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

Alternative CompileAlternative(std::string_view text, const IndexedLines& index) {
  Head head = ReadHead(text);
  Alternative alternative{
      head.negated, AllDigits(head.property), -1, "|" + head.property + "(", {}, {}};
  if (alternative.by_entries) alternative.property = index.PropertyId(head.property);
  for (const std::string& item : ReadItems(text)) {
    if (IsRange(item)) {
      alternative.items.push_back({true, RangeFrom(item), RangeTo(item), 0, {}});
    } else {
      alternative.items.push_back({false, 0, 0, index.CodeOf(item), item});
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
bool Has(const LineSet& set, std::size_t line) { return (set[line / 64] >> (line % 64)) & 1; }

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
    for (const std::string& alternative : Alternatives(text)) {
      criterion.alternatives.push_back(CompileAlternative(alternative, index));
    }
    criteria_.push_back(std::move(criterion));
  }
}

CompiledCriteria::~CompiledCriteria() = default;
CompiledCriteria::CompiledCriteria(CompiledCriteria&&) noexcept = default;

bool CompiledCriteria::Matches(std::size_t line) const {
  return line < index_.lines().size() && Has(MatchingLines(), line);
}

LineSet CompiledCriteria::MatchingLines() const {
  std::size_t count = index_.lines().size();
  if (criteria_.empty()) return LineSet(Words(count), 0);
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

common::StringList FilterModels(std::string_view criteria_list, const IndexedLines& index) {
  LineSet matching = CompiledCriteria(criteria_list, index).MatchingLines();
  common::StringList items;
  for (std::size_t i = 0; i < index.lines().size(); ++i) {
    if (!Has(matching, i)) continue;
    std::string_view line = index.lines()[i];
    items.push_back(std::string(IndexBrand(line)) + " " + std::string(IndexModel(line)) + " *");
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
  CompiledCriteria base(base_list, index);
  LineSet base_lines = base.empty() ? AllLines(index.lines().size()) : base.MatchingLines();
  std::vector<std::size_t> counts;
  for (const std::string& extra : extra_criteria) {
    CompiledCriteria criteria(extra, index);
    // Base and extra both empty make an empty list, which matches nothing.
    if (criteria.empty()) {
      counts.push_back(base.empty() ? 0 : CountLines(base_lines));
      continue;
    }
    LineSet lines = criteria.MatchingLines();
    Intersect(lines, base_lines);
    counts.push_back(CountLines(lines));
  }
  return counts;
}

}  // namespace trubkom::selection
