#include "selection/wizard.h"

#include <algorithm>

#include "common/encoding.h"
#include "selection/questions.h"

namespace trubkom::selection {

namespace {

const Question& PageQuestion(int page) {
  if (page < 0) page = 0;
  if (page > kLastWizardPage) page = kLastWizardPage;
  return kQuestionTable[static_cast<std::size_t>(page)];
}

// The criteria of the answers checked on a page, each followed by "^".
std::string ChosenCriteria(int page, const std::vector<bool>& checked) {
  common::StringList criteria = common::SplitCarets(PageQuestion(page).criteria);
  std::vector<WizardAnswer> answers = WizardPageOf(page).answers;
  std::string chosen;
  for (std::size_t i = 0; i < answers.size() && i < checked.size(); ++i) {
    const std::string& criterion = common::At(criteria, answers[i].index);
    if (checked[i] && !criterion.empty()) chosen += criterion + "^";
  }
  return chosen;
}

}  // namespace

WizardPage WizardPageOf(int page) {
  const Question& q = PageQuestion(page);
  WizardPage shown;
  shown.question = common::Cp1251FromUtf8(q.question);
  shown.check_boxes = q.kind == "checkbox";
  common::StringList answers = common::SplitCarets(q.answers);
  std::size_t count = answers.empty() || answers[0].empty() ? 0 : answers.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (!answers[i].empty()) shown.answers.push_back({i, common::Cp1251FromUtf8(answers[i])});
  }
  return shown;
}

namespace {

std::vector<std::string> PropertiesOfPages(int first, int last) {
  std::vector<std::string> properties;
  for (int page = first; page <= last; ++page) {
    for (std::string& property : CompiledCriteria::PropertiesRead(PageQuestion(page).criteria)) {
      properties.push_back(std::move(property));
    }
  }
  std::sort(properties.begin(), properties.end());
  properties.erase(std::unique(properties.begin(), properties.end()), properties.end());
  return properties;
}

}  // namespace

std::vector<std::string> WizardProperties() { return PropertiesOfPages(0, kLastWizardPage); }

std::vector<std::string> WizardPageProperties(int page) { return PropertiesOfPages(page, page); }

std::string WizardAnswers::EarlierCriteria() const {
  std::string earlier;
  for (const std::string& entry : answer_history_) earlier += entry;
  return earlier;
}

const std::string& WizardAnswers::CollectAnswers(int page, const std::vector<bool>& checked) {
  std::string chosen = ChosenCriteria(page, checked);
  wizard_criteria_ = EarlierCriteria() + chosen;
  answer_history_.push_back(chosen);
  return wizard_criteria_;
}

std::vector<std::size_t> WizardAnswers::AnswerCounts(int page, const std::vector<bool>& checked,
                                                     const IndexedLines& index) const {
  std::string base = EarlierCriteria();
  if (PageQuestion(page).kind == "checkbox") base += ChosenCriteria(page, checked);
  common::StringList criteria = common::SplitCarets(PageQuestion(page).criteria);
  common::StringList extras;
  for (const WizardAnswer& answer : WizardPageOf(page).answers) {
    extras.push_back(common::At(criteria, answer.index));
  }
  return CountMatchesWithEach(base, extras, index);
}

void WizardAnswers::Clear() {
  answer_history_.clear();
  wizard_criteria_.clear();
}

}  // namespace trubkom::selection
