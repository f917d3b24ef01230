#pragma once

#include <string>
#include <vector>

#include "common/string_ops.h"
#include "selection/criteria.h"

// The question wizard's logic: what each page asks and the criteria of the answers given so
// far. The panel in the window lays a page out, creates its controls and reads which are checked.
namespace trubkom::selection {

struct WizardAnswer {
  std::size_t index;    // position in the question's answer list, which its criteria follow
  std::string caption;  // Windows-1251
};

// A page of the wizard: its question and the answers that have a caption, in order.
struct WizardPage {
  std::string question;  // Windows-1251
  bool check_boxes;      // otherwise radio buttons
  std::vector<WizardAnswer> answers;
};

// A page number out of range gives the nearest page.
WizardPage WizardPageOf(int page);

// The properties whose entries the criteria of every page read (texts of digits, each once): an
// index that answers the wizard keeps no others.
std::vector<std::string> WizardProperties();
// Those of one page's criteria alone (each once).
std::vector<std::string> WizardPageProperties(int page);

class WizardAnswers {
 public:
  // Records the answers chosen on the page being left (checked[i] for the page's answer i) and
  // returns the criteria list of all answers so far, for FilterModels.
  const std::string& CollectAnswers(int page, const std::vector<bool>& checked);
  void Clear();

  // How many models the result list would hold if answer i of the page on show were
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
