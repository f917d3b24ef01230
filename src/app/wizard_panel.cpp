#include "app/wizard_panel.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include "app/text.h"
#include "app/widgets.h"
#include "selection/questions.h"
#include "selection/wizard.h"

namespace trubkom::app {

WizardPanel::WizardPanel(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  question_panel_ = new QWidget(this);
  question_panel_->setObjectName(QStringLiteral("questionPanel"));
  question_panel_->setFixedHeight(190);
  question_label_ = new QLabel(question_panel_);
  question_label_->setObjectName(QStringLiteral("question"));
  question_label_->setWordWrap(true);
  question_label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  question_label_->setGeometry(5, selection::kQuestionLabelTop, 168,
                               selection::kQuestionLabelHeight);
  next_button_ = new QPushButton(QStringLiteral(">>"), question_panel_);
  next_button_->setObjectName(QStringLiteral("next"));
  next_button_->setGeometry(5, 152, 48, selection::kNextButtonHeight);
  clear_button_ = new QPushButton(QString::fromUtf8("Очистить"), question_panel_);
  clear_button_->setObjectName(QStringLiteral("clear"));
  clear_button_->setGeometry(117, 152, 56, 18);
  count_label_ = new QLabel(QString::fromUtf8("Подходящие модели:"), question_panel_);
  count_label_->setObjectName(QStringLiteral("count"));
  count_label_->move(5, 175);
  count_label_->adjustSize();
  layout->addWidget(question_panel_);

  results_ = MakeReportList({QString::fromUtf8("Модель")}, {149}, this);
  results_->setObjectName(QStringLiteral("results"));
  results_->verticalScrollBar()->setStyleSheet(QStringLiteral("QScrollBar { border: none; }"));
  layout->addWidget(results_, 1);
}

void WizardPanel::ShowPage(int page) {
  if (page == 0) next_button_->setEnabled(true);
  if (page == selection::kLastWizardPage) next_button_->setEnabled(false);
  for (QAbstractButton* answer : answers_) delete answer;
  answers_.clear();

  selection::WizardPageLayout layout = selection::LayoutWizardPage(page);
  question_label_->setText(ToQt(layout.question));
  for (const selection::AnswerControl& answer : layout.answers) {
    QAbstractButton* control = layout.check_boxes
                                   ? static_cast<QAbstractButton*>(new QCheckBox(question_panel_))
                                   : new QRadioButton(question_panel_);
    control->setText(ToQt(answer.caption));
    control->setAutoExclusive(!layout.check_boxes);
    control->move(12, answer.top);
    control->adjustSize();
    control->setFixedHeight(18);
    control->show();
    answers_.push_back(control);
  }
  next_button_->move(next_button_->x(), layout.buttons_top);
  clear_button_->move(clear_button_->x(), layout.buttons_top);
  count_label_->move(count_label_->x(), layout.count_label_top);
  question_panel_->setFixedHeight(layout.panel_height);
}

std::vector<bool> WizardPanel::ChosenAnswers() const {
  std::vector<bool> chosen;
  for (QAbstractButton* answer : answers_) chosen.push_back(answer->isChecked());
  return chosen;
}

void WizardPanel::ShowResults(const common::StringList& items) {
  results_->clear();
  if (items.empty()) {
    count_label_->clear();
    next_button_->setEnabled(false);
    return;
  }
  QList<QTreeWidgetItem*> rows;
  for (const std::string& item : items) rows.append(new QTreeWidgetItem({ToQt(item)}));
  results_->addTopLevelItems(rows);
  count_label_->setText(QString::fromUtf8("Подходящие модели: ") + QString::number(items.size()));
  count_label_->adjustSize();
}

void WizardPanel::Restart() {
  results_->clear();
  count_label_->clear();
  next_button_->setEnabled(true);
}

}  // namespace trubkom::app
