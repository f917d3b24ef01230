#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QWidget>

namespace trubkom::app {

// One answer of the wizard: a check box or radio button, its caption wrapped to the width the
// column leaves, and at the right in small grey digits the number of models that choosing it
// would leave. An answer that would leave none is shown greyed, though it can still be chosen.
class AnswerRow : public QWidget {
  Q_OBJECT
 public:
  AnswerRow(const QString& caption, bool check_box, int width, QWidget* parent);

  QAbstractButton* button() const { return button_; }
  QString caption() const { return caption_->text(); }
  // An empty text until the first count arrives.
  QString count() const { return count_->text(); }
  void ShowCount(std::size_t models);

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QAbstractButton* button_;
  QLabel* caption_;
  QLabel* count_;
};

}  // namespace trubkom::app
