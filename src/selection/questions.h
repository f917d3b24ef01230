#pragma once

#include <array>
#include <string_view>

// The question wizard's thirteen pages. Texts are UTF-8 here; the wizard converts them.
namespace trubkom::selection {

struct Question {
  std::string_view question;
  std::string_view kind;      // "checkbox": any number of answers; otherwise one at most
  std::string_view answers;   // captions, each followed by "^"
  std::string_view criteria;  // one criterion per answer, "^"-separated; empty: no condition
};

inline constexpr int kWizardPages = 13;
inline constexpr int kLastWizardPage = 12;

extern const std::array<Question, kWizardPages> kQuestionTable;

}  // namespace trubkom::selection
