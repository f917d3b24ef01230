#include "selection/wizard.h"

#include "common/encoding.h"
#include "selection/questions.h"

namespace trubkom::selection {

namespace {

const Question& PageQuestion(int page) {
  if (page < 0) page = 0;
  if (page > kLastWizardPage) page = kLastWizardPage;
  return kQuestionTable[static_cast<std::size_t>(page)];
}

}  // namespace

WizardPageLayout LayoutWizardPage(int page) {
  const Question& q = PageQuestion(page);
  WizardPageLayout layout;
  layout.question = common::Cp1251FromUtf8(q.question);
  layout.check_boxes = q.kind == "checkbox";
  common::StringList answers = common::SplitCarets(q.answers);
  std::size_t count = answers.empty() || answers[0].empty() ? 0 : answers.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (answers[i].empty()) continue;
    int top = kQuestionLabelTop + kQuestionLabelHeight + 4 + 16 * static_cast<int>(i);
    layout.answers.push_back({i, common::Cp1251FromUtf8(answers[i]), top});
  }
  layout.buttons_top = layout.answers.empty() ? kQuestionLabelTop + kQuestionLabelHeight + 12
                                              : layout.answers.back().top + 30;
  layout.count_label_top = layout.buttons_top + kNextButtonHeight + 6;
  layout.panel_height = layout.count_label_top + 15;
  return layout;
}

const std::string& WizardAnswers::CollectAnswers(int page, const std::vector<bool>& checked) {
  common::StringList criteria = common::SplitCarets(PageQuestion(page).criteria);
  std::vector<AnswerControl> controls = LayoutWizardPage(page).answers;
  std::string chosen;
  for (std::size_t i = 0; i < controls.size() && i < checked.size(); ++i) {
    const std::string& criterion = common::At(criteria, controls[i].answer);
    if (checked[i] && !criterion.empty()) chosen += criterion + "^";
  }
  wizard_criteria_.clear();
  for (const std::string& earlier : answer_history_) wizard_criteria_ += earlier;
  wizard_criteria_ += chosen;
  answer_history_.push_back(chosen);
  return wizard_criteria_;
}

void WizardAnswers::Clear() {
  answer_history_.clear();
  wizard_criteria_.clear();
}

}  // namespace trubkom::selection
