#include "selection/property_vocabulary.h"

#include "common/encoding.h"
#include "common/line_file.h"
#include "common/string_ops.h"

namespace trubkom::selection {

extern const std::string_view kPropertyVocabularyText;

const PropertyVocabulary& PropertyVocabulary::Builtin() {
  static const PropertyVocabulary vocabulary = Parse(kPropertyVocabularyText);
  return vocabulary;
}

PropertyVocabulary PropertyVocabulary::Parse(std::string_view utf8_text) {
  PropertyVocabulary vocabulary;
  for (const std::string& line : common::SplitLinesAtAnyEnd(utf8_text)) {
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      vocabulary.properties_.push_back({common::Cp1251FromUtf8(common::After(line, "] ")), {}});
    } else if (!vocabulary.properties_.empty()) {
      vocabulary.properties_.back().values.push_back(common::Cp1251FromUtf8(line));
    }
  }
  return vocabulary;
}

int PropertyVocabulary::PropertyNumber(std::string_view name) const {
  int number = 0;
  for (std::size_t i = 0; i < properties_.size(); ++i) {
    if (properties_[i].name == name) number = static_cast<int>(i);
  }
  return number;
}

std::optional<std::string> PropertyVocabulary::PropertyValueText(std::string_view line,
                                                                 std::string_view name) const {
  int number = PropertyNumber(name);
  std::string head = "|" + std::to_string(number) + "(";
  std::size_t at = line.find(head);
  if (at == std::string_view::npos || properties_.empty()) return std::nullopt;
  std::string_view rest = line.substr(at + head.size());
  long long value = common::TextToInt(rest.substr(0, rest.find(')')));
  const std::vector<std::string>& values = properties_[static_cast<std::size_t>(number)].values;
  if (value < 0 || static_cast<unsigned long long>(value) >= values.size()) return std::nullopt;
  return values[static_cast<std::size_t>(value)];
}

}  // namespace trubkom::selection
