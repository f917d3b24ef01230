#pragma once

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>
#include <vector>

#include "app/report_list.h"
#include "common/string_ops.h"
#include "selection/indexed_lines.h"
#include "selection/wizard.h"

namespace trubkom::app {

// The question wizard: the question with its answers, ">>" and "Очистить", the count of matching
// models and their list. What the answers mean is the wizard's logic (selection/wizard.h); the
// panel keeps the answers given, asks the catalogue's index which models they leave, and asks
// the window for a result's page or its place in the basket.
class AnswerRow;

class WizardPanel : public QWidget {
  Q_OBJECT
 public:
  explicit WizardPanel(QWidget* parent = nullptr);

  // The index the answers are asked of: the catalogue's, replaced with each read of it. The
  // counts beside the answers are made anew.
  void SetIndex(const selection::IndexedLines* index);
  // Back to the first page, no answer given.
  void Clear();
  // After the catalogue was read again: the page and answers stay, the models they leave are
  // found in the new index.
  void Refilter();
  // Beside every answer of the page on show, the models that choosing it would leave.
  void Recount();

  int page() const { return page_; }
  const selection::WizardAnswers& answers() const { return answers_given_; }

  // Creates the answers of a page below its question and moves the buttons below them.
  void ShowPage(int page);
  // Which answers of the page on show are chosen, in answer order.
  std::vector<bool> ChosenAnswers() const;
  // Beside each answer of the page on show, the models that choosing it would leave.
  void ShowAnswerCounts(const std::vector<std::size_t>& counts);
  // The matching models ("brand model *") and their count; none disables ">>".
  void ShowResults(const common::StringList& items);
  // Back to the start: no results, an empty count, the results in their own order again.
  void Restart();

  QPushButton* next_button() const { return next_button_; }
  QPushButton* clear_button() const { return clear_button_; }
  ReportList* results() const { return results_; }
  // The panel's controls in the order Tab walks them: the answers, ">>", "Очистить", the list.
  QList<QWidget*> FocusOrder() const;

 signals:
  // A check box of the page on show was checked or cleared.
  void checkedAnswersChanged();
  // A page's answers were made anew.
  void pageShown();
  // The "brand model *" entry of a result whose page or place in the basket the user asked for.
  void showModel(const std::string& entry);
  void addToBasket(const std::string& entry);

 private:
  // Up and Down (or Left and Right) on an answer go to the one before or after it, and on a
  // page of radio buttons choose it, as in any radio group.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // ">>" is offered while there is a page to go to and models to narrow down; with no answer
  // chosen it sets no condition, as "Пока не знаю" does.
  void EnableNext();
  // ">>": the results of the answers given so far, and the next page.
  void Next();
  void AskFor(void (WizardPanel::*ask)(const std::string&));

  const selection::IndexedLines* index_ = nullptr;
  selection::WizardAnswers answers_given_;
  int page_ = 0;
  QWidget* question_panel_;
  QLabel* question_label_;
  QPushButton* next_button_;
  QPushButton* clear_button_;
  QLabel* count_label_;
  std::vector<AnswerRow*> answers_;
  QButtonGroup* radio_group_ = nullptr;
  ReportList* results_;
};

}  // namespace trubkom::app
