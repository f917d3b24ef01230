#include "app/answer_row.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QRadioButton>

namespace trubkom::app {

namespace {

constexpr int kRowHeight = 16;
// The count is as wide as seven digits in its font: a catalogue of millions of models shows its
// counts whole.
const QString kWidestCount = QStringLiteral("0000000");
const QColor kCountColour(0x80, 0x80, 0x80);
const QColor kDeadEndColour(0x90, 0x90, 0x90);

void SetTextColour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

}  // namespace

AnswerRow::AnswerRow(const QString& caption, bool check_box, int width, QWidget* parent)
    : QWidget(parent) {
  button_ = check_box ? static_cast<QAbstractButton*>(new QCheckBox(this)) : new QRadioButton(this);
  button_->setObjectName(QStringLiteral("answer"));
  button_->setAccessibleName(caption);
  caption_ = new QLabel(caption, this);
  caption_->setWordWrap(true);
  count_ = new QLabel(this);
  count_->setAlignment(Qt::AlignRight | Qt::AlignTop);
  QFont small = count_->font();
  small.setPixelSize(9);
  count_->setFont(small);
  const int count_width = QFontMetrics(small).horizontalAdvance(kWidestCount);
  count_->setFixedWidth(count_width);
  SetTextColour(count_, kCountColour);

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(3);
  row->addWidget(button_, 0, Qt::AlignTop);
  row->addWidget(caption_, 1, Qt::AlignTop);
  row->addWidget(count_, 0, Qt::AlignTop);

  int caption_width = width - button_->sizeHint().width() - count_width - 2 * row->spacing();
  int caption_height = caption_->heightForWidth(caption_width);
  setFixedSize(width, std::max(kRowHeight, caption_height));
}

void AnswerRow::ShowCount(std::size_t models) {
  count_->setText(QString::number(models));
  button_->setAccessibleDescription(QString::fromUtf8("Останется моделей: ") +
                                    QString::number(models));
  SetTextColour(caption_, models == 0 ? kDeadEndColour : palette().color(QPalette::WindowText));
}

void AnswerRow::mousePressEvent(QMouseEvent* event) {
  // A click on the caption or the count chooses the answer, as a click on its button does.
  if (event->button() == Qt::LeftButton) button_->click();
  QWidget::mousePressEvent(event);
}

}  // namespace trubkom::app
