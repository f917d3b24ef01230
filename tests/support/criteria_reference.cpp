#include "support/criteria_reference.h"

#include <string>

#include "common/string_ops.h"

namespace trubkom::selection {

using common::Contains;
using common::SplitByChar;
using common::TextToInt;

namespace {

// Reading a criterion, for this reference only: the compiled form reads criteria on its own,
// so that comparing the two checks the reading too, and this stays a plain transcription of the
// rules.

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
  for (const std::string& criterion : common::SplitCarets(criteria_list)) {
    if (!criterion.empty() && !MatchCriterion(criterion, line)) return false;
  }
  return true;
}

}  // namespace trubkom::selection
