#include "app/wizard_panel.h"

#include <QButtonGroup>
#include <QKeyEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/answer_row.h"
#include "app/panel_parts.h"
#include "app/report_list.h"
#include "app/text.h"
#include "app/widgets.h"
#include "selection/criteria.h"
#include "selection/questions.h"
#include "selection/wizard.h"

namespace trubkom::app {

namespace {

// The question label heads the panel; the answers start a little below it.
constexpr int kQuestionLabelTop = 0;
constexpr int kQuestionLabelHeight = 85;
constexpr int kFirstAnswerTop = kQuestionLabelTop + kQuestionLabelHeight + 4;
constexpr int kAnswerLeft = 12;
// Answers stand 16 pixels apart; a one-line answer is as high, so that none covers the next.
constexpr int kAnswerHeight = 16;
constexpr int kButtonHeight = 18;
// Answers end where the question and "Очистить" end, clear of a scroll bar beside the column.
constexpr int kAnswerRight = 173;
// The result list keeps its header and a few rows in sight before the column has to scroll.
constexpr int kResultsMinimumHeight = 54;

// An answer keeps the place of its position in the question's answer list.
int AnswerTop(const selection::WizardAnswer& answer) {
  return kFirstAnswerTop + kAnswerHeight * static_cast<int>(answer.index);
}

// Where ">>" and "Очистить" stand when no caption wraps: a gap below the last answer, or a
// smaller one below the question on a page without answers.
int ButtonsTop(const selection::WizardPage& page) {
  if (page.answers.empty()) return kQuestionLabelTop + kQuestionLabelHeight + 12;
  return AnswerTop(page.answers.back()) + 30;
}

}  // namespace

WizardPanel::WizardPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  question_panel_ = new QWidget(this);
  question_panel_->setObjectName(QStringLiteral("questionPanel"));
  question_panel_->setFixedHeight(190);
  question_label_ = new QLabel(question_panel_);
  question_label_->setObjectName(QStringLiteral("question"));
  question_label_->setAccessibleName(QString::fromUtf8("Вопрос"));
  question_label_->setWordWrap(true);
  question_label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  question_label_->setGeometry(5, kQuestionLabelTop, 168, kQuestionLabelHeight);
  next_button_ = new QPushButton(QStringLiteral(">>"), question_panel_);
  next_button_->setObjectName(QStringLiteral("next"));
  next_button_->setAccessibleName(QString::fromUtf8("Дальше"));
  next_button_->setAccessibleDescription(
      QString::fromUtf8("Следующий вопрос: отобрать модели по выбранным ответам"));
  next_button_->setGeometry(5, 152, 48, kButtonHeight);
  clear_button_ = new QPushButton(QString::fromUtf8("Очистить"), question_panel_);
  clear_button_->setObjectName(QStringLiteral("clear"));
  clear_button_->setAccessibleDescription(QString::fromUtf8("Начать подбор модели заново"));
  clear_button_->setGeometry(117, 152, 56, kButtonHeight);
  count_label_ = new QLabel(QString::fromUtf8("Подходящие модели:"), question_panel_);
  count_label_->setObjectName(QStringLiteral("count"));
  count_label_->move(5, 175);
  count_label_->adjustSize();
  layout->addWidget(question_panel_);

  results_ = new ReportList({QString::fromUtf8("Модель")}, {149}, this);
  results_->setObjectName(QStringLiteral("results"));
  results_->setAccessibleName(QString::fromUtf8("Подходящие модели"));
  results_->setAccessibleDescription(
      QString::fromUtf8("Модели, подходящие ко всем ответам; двойной щелчок открывает описание"));
  results_->setMinimumHeight(kResultsMinimumHeight);
  results_->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar { border: none; }"));
  layout->addWidget(results_, 1);

  connect(next_button_, &QPushButton::clicked, this, &WizardPanel::Next);
  connect(clear_button_, &QPushButton::clicked, this, &WizardPanel::Clear);
  connect(this, &WizardPanel::checkedAnswersChanged, this, &WizardPanel::Recount);
  auto show = [this] { AskFor(&WizardPanel::showModel); };
  connect(results_, &QTreeWidget::itemDoubleClicked, this, show);
  OnKey(results_, Qt::Key_Return, show);
  AddContextMenu(results_, {{"Добавить в корзину", [this] { AskFor(&WizardPanel::addToBasket); }}});
}

void WizardPanel::SetIndex(const selection::IndexedLines* index) {
  index_ = index;
  Recount();
}

void WizardPanel::Next() {
  if (!index_) return;
  const std::string& criteria = answers_given_.CollectAnswers(page_, ChosenAnswers());
  ShowResults(selection::FilterModels(criteria, *index_));
  ShowPage(std::min(page_ + 1, selection::kLastWizardPage));
  Recount();
}

void WizardPanel::Clear() {
  answers_given_.Clear();
  Restart();
  ShowPage(0);
  Recount();
}

void WizardPanel::Refilter() {
  if (page_ > 0 && index_) {
    ShowResults(selection::FilterModels(answers_given_.wizard_criteria(), *index_));
  }
}

void WizardPanel::Recount() {
  if (index_) ShowAnswerCounts(answers_given_.AnswerCounts(page_, ChosenAnswers(), *index_));
}

void WizardPanel::AskFor(void (WizardPanel::*ask)(const std::string&)) {
  QTreeWidgetItem* row = SelectedRow(results_);
  if (row) emit(this->*ask)(FromQt(row->text(0)));
}

void WizardPanel::ShowPage(int page) {
  page_ = page;
  EnableNext();
  for (AnswerRow* answer : answers_) delete answer;
  answers_.clear();
  delete radio_group_;
  radio_group_ = nullptr;

  selection::WizardPage shown = selection::WizardPageOf(page);
  question_label_->setText(ToQt(shown.question));
  if (!shown.check_boxes) radio_group_ = new QButtonGroup(this);
  // A caption that wraps pushes the answers below it, and the buttons, further down.
  int pushed_down = 0;
  for (const selection::WizardAnswer& answer : shown.answers) {
    auto* row = new AnswerRow(ToQt(answer.caption), shown.check_boxes, kAnswerRight - kAnswerLeft,
                              question_panel_);
    row->move(kAnswerLeft, AnswerTop(answer) + pushed_down);
    pushed_down += row->height() - kAnswerHeight;
    row->button()->installEventFilter(this);
    if (radio_group_) {
      radio_group_->addButton(row->button());
    } else {
      connect(row->button(), &QAbstractButton::toggled, this, &WizardPanel::checkedAnswersChanged);
    }
    row->show();
    answers_.push_back(row);
  }
  int buttons_top = ButtonsTop(shown) + pushed_down;
  next_button_->move(next_button_->x(), buttons_top);
  clear_button_->move(clear_button_->x(), buttons_top);
  int count_label_top = buttons_top + kButtonHeight + 6;
  count_label_->move(count_label_->x(), count_label_top);
  question_panel_->setFixedHeight(count_label_top + 15);
  emit pageShown();
}

QList<QWidget*> WizardPanel::FocusOrder() const {
  QList<QWidget*> order;
  for (AnswerRow* answer : answers_) order.append(answer->button());
  order << next_button_ << clear_button_ << results_;
  return order;
}

std::vector<bool> WizardPanel::ChosenAnswers() const {
  std::vector<bool> chosen;
  for (AnswerRow* answer : answers_) chosen.push_back(answer->button()->isChecked());
  return chosen;
}

void WizardPanel::ShowAnswerCounts(const std::vector<std::size_t>& counts) {
  for (std::size_t i = 0; i < answers_.size() && i < counts.size(); ++i) {
    answers_[i]->ShowCount(counts[i]);
  }
}

void WizardPanel::ShowResults(const common::StringList& items) {
  QList<QStringList> rows;
  for (const std::string& item : items) rows.append({ToQt(item)});
  results_->ShowRows(rows);
  count_label_->setText(QString::fromUtf8("Подходящие модели: ") + QString::number(items.size()));
  count_label_->adjustSize();
  EnableNext();
}

bool WizardPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                   : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                               : 0;
  auto at = std::find_if(answers_.begin(), answers_.end(),
                         [watched](AnswerRow* row) { return row->button() == watched; });
  if (step == 0 || at == answers_.end()) return QWidget::eventFilter(watched, event);
  const auto index = std::clamp<std::ptrdiff_t>(at - answers_.begin() + step, 0,
                                                std::ptrdiff_t(answers_.size()) - 1);
  QAbstractButton* button = answers_[std::size_t(index)]->button();
  button->setFocus(Qt::OtherFocusReason);
  if (radio_group_ && !button->isChecked()) button->click();
  return true;
}

void WizardPanel::EnableNext() {
  // Answers only ever narrow the list: with no model left there is nothing further to ask. On
  // the first page no list has been made yet.
  bool models_left = page_ == 0 || results_->topLevelItemCount() > 0;
  next_button_->setEnabled(page_ != selection::kLastWizardPage && models_left);
}

void WizardPanel::Restart() {
  results_->clear();
  results_->ResetOrder();
  count_label_->clear();
  EnableNext();
}

}  // namespace trubkom::app
