#pragma once

#include <string>
#include <vector>

#include "common/string_ops.h"
#include "selection/criteria.h"

// The question wizard's logic: the layout of a page's answers and the criteria of the answers
// given so far. The panel in the window only creates the controls and reads which are checked.
namespace trubkom::selection {

struct AnswerControl {
  std::size_t answer;   // position in the page's answer list
  std::string caption;  // Windows-1251
  int top;
};

struct WizardPageLayout {
  std::string question;  // Windows-1251
  bool check_boxes;      // otherwise radio buttons
  std::vector<AnswerControl> answers;
  int buttons_top;  // ">>" and "Очистить"
  int count_label_top;
  int panel_height;
};

// Where the question label and the buttons stand (pixels within the wizard panel).
inline constexpr int kQuestionLabelTop = 0;
inline constexpr int kQuestionLabelHeight = 85;
inline constexpr int kNextButtonHeight = 18;

WizardPageLayout LayoutWizardPage(int page);

class WizardAnswers {
 public:
  // Records the answers chosen on the page being left (checked[i] for answer control i) and
  // returns the criteria list of all answers so far, for FilterModels.
  const std::string& CollectAnswers(int page, const std::vector<bool>& checked);
  void Clear();

  // How many models the result list would hold if answer control i of the page on show were
  // chosen now: with the answers of the pages left so far and, on a page of check boxes, with
  // the answers already checked there.
  std::vector<std::size_t> AnswerCounts(int page, const std::vector<bool>& checked,
                                        const IndexedLines& index) const;

  const common::StringList& answer_history() const { return answer_history_; }
  const std::string& wizard_criteria() const { return wizard_criteria_; }

 private:
  std::string EarlierCriteria() const;

  common::StringList answer_history_;
  std::string wizard_criteria_;
};

}  // namespace trubkom::selection
