#include "catalogue/compare_measure.h"

#include <algorithm>
#include <charconv>

#include "common/encoding.h"

namespace trubkom::catalogue {

using namespace common::literals;

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Windows-1251 in lower case: ASCII letters, and the Cyrillic capitals 0xC0-0xDF and "Ё".
std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    auto byte = static_cast<unsigned char>(c);
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (byte >= 0xC0 && byte <= 0xDF) c = static_cast<char>(byte + 0x20);
    if (byte == 0xA8) c = static_cast<char>(0xB8);
  }
  return lowered;
}

// A number written in the text from at ("1.5" or "1,5"), and where it ends.
struct Number {
  double value;
  std::size_t end;
};

std::optional<Number> NumberFrom(std::string_view text, std::size_t from) {
  std::size_t at = from;
  while (at < text.size() && !IsDigit(text[at])) ++at;
  if (at == text.size()) return std::nullopt;
  std::string digits;
  std::size_t end = at;
  for (; end < text.size(); ++end) {
    char c = text[end];
    bool decimal_mark = (c == '.' || c == ',') && end + 1 < text.size() && IsDigit(text[end + 1]) &&
                        digits.find('.') == std::string::npos;
    if (!IsDigit(c) && !decimal_mark) break;
    digits += decimal_mark ? '.' : c;
  }
  // Read without the process's locale, whose decimal mark may be a comma (the window's is).
  double value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return Number{value, end};
}

// The word after a number, lowered: the unit written there, if any.
std::string UnitAfter(std::string_view text, std::size_t end) {
  while (end < text.size() && text[end] == ' ') ++end;
  std::size_t stop = end;
  while (stop < text.size() && text[stop] != ' ' && text[stop] != '/' && text[stop] != ',' &&
         text[stop] != '.' && !IsDigit(text[stop])) {
    ++stop;
  }
  return Lowered(text.substr(end, stop - end));
}

struct Unit {
  std::string_view name;  // lowered Windows-1251
  double factor;
};

std::optional<double> Scaled(double value, const std::string& unit,
                             std::initializer_list<Unit> units) {
  for (const Unit& known : units) {
    if (unit == known.name) return value * known.factor;
  }
  return std::nullopt;
}

std::optional<double> Time(std::string_view text, double unwritten_factor) {
  std::optional<Number> n = NumberFrom(text, 0);
  if (!n) return std::nullopt;
  return Scaled(n->value, UnitAfter(text, n->end),
                {{"", unwritten_factor},
                 {"мин"_cp1251, 1},
                 {"min", 1},
                 {"ч"_cp1251, 60},
                 {"час"_cp1251, 60},
                 {"часа"_cp1251, 60},
                 {"часов"_cp1251, 60},
                 {"h", 60},
                 {"дн"_cp1251, 1440},
                 {"дня"_cp1251, 1440},
                 {"дней"_cp1251, 1440},
                 {"сут"_cp1251, 1440}});
}

std::optional<double> Volume(std::string_view text) {
  double volume = 1;
  std::size_t from = 0;
  std::string unit;
  for (int side = 0; side < 3; ++side) {
    std::optional<Number> n = NumberFrom(text, from);
    if (!n) return std::nullopt;
    volume *= n->value;
    from = n->end;
    unit = UnitAfter(text, n->end);
  }
  std::optional<double> factor =
      Scaled(1, unit, {{"", 1}, {"мм"_cp1251, 1}, {"mm", 1}, {"см"_cp1251, 1000}, {"cm", 1000}});
  if (!factor) return std::nullopt;
  return volume * *factor;
}

std::optional<double> Capacity(std::string_view text) {
  // The type comes first and may hold digits of its own; the capacity is the last number.
  std::optional<Number> last;
  for (std::optional<Number> n = NumberFrom(text, 0); n; n = NumberFrom(text, n->end)) last = n;
  if (!last) return std::nullopt;
  return Scaled(last->value, UnitAfter(text, last->end),
                {{"", 1}, {"мач"_cp1251, 1}, {"mah", 1}, {"ач"_cp1251, 1000}, {"ah", 1000}});
}

bool HigherWins(Measure measure) {
  return measure == Measure::kStandbyTime || measure == Measure::kTalkTime ||
         measure == Measure::kCapacity || measure == Measure::kRows;
}

}  // namespace

std::optional<double> MeasureValue(Measure measure, std::string_view text) {
  switch (measure) {
    case Measure::kNone:
      return std::nullopt;
    case Measure::kPrice:
    case Measure::kShopPrice:
    case Measure::kSar:
    case Measure::kRows: {
      std::optional<Number> n = NumberFrom(text, 0);
      return n ? std::optional<double>(n->value) : std::nullopt;
    }
    case Measure::kWeight: {
      std::optional<Number> n = NumberFrom(text, 0);
      if (!n) return std::nullopt;
      return Scaled(n->value, UnitAfter(text, n->end),
                    {{"", 1},
                     {"г"_cp1251, 1},
                     {"гр"_cp1251, 1},
                     {"g", 1},
                     {"кг"_cp1251, 1000},
                     {"kg", 1000}});
    }
    case Measure::kSizes:
      return Volume(text);
    case Measure::kStandbyTime:
      return Time(text, 60);
    case Measure::kTalkTime:
      return Time(text, 1);
    case Measure::kCapacity:
      return Capacity(text);
  }
  return std::nullopt;
}

std::vector<bool> BestValues(Measure measure, const common::StringList& values) {
  std::vector<std::optional<double>> measured;
  for (const std::string& value : values) measured.push_back(MeasureValue(measure, value));
  std::vector<bool> best(values.size(), false);
  std::optional<double> winner;
  int measurable = 0;
  for (const std::optional<double>& m : measured) {
    if (!m) continue;
    ++measurable;
    if (!winner || (HigherWins(measure) ? *m > *winner : *m < *winner)) winner = m;
  }
  if (measurable < 2) return best;
  if (std::count(measured.begin(), measured.end(), winner) > 1) return best;  // a tie
  for (std::size_t i = 0; i < measured.size(); ++i) best[i] = measured[i] == winner;
  return best;
}

}  // namespace trubkom::catalogue
