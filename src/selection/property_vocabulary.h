#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The meaning of the model index's codes: property P is entry P of the vocabulary, value V of
// it is text V of that entry's list. The texts are part of the program (they are kept in
// property_vocabulary.txt and compiled in), so catalogues must code their index against them.
namespace trubkom::selection {

struct Property {
  std::string name;                 // Windows-1251
  std::vector<std::string> values;  // Windows-1251, value number V at position V
};

class PropertyVocabulary {
 public:
  // The 56 properties of the program.
  static const PropertyVocabulary& Builtin();
  // A vocabulary from text in the format of property_vocabulary.txt (UTF-8).
  static PropertyVocabulary Parse(std::string_view utf8_text);

  const std::vector<Property>& properties() const { return properties_; }

  // The number of the last property named exactly name; 0 when none is.
  int PropertyNumber(std::string_view name) const;

  // The value text of the named property on an index line: the first entry "|P(V)" of the line
  // gives V. Nothing when the line has no such entry or V is past the end of the list.
  std::optional<std::string> PropertyValueText(std::string_view line, std::string_view name) const;

 private:
  std::vector<Property> properties_;
};

}  // namespace trubkom::selection
