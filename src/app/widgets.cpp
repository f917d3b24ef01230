#include "app/widgets.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

namespace trubkom::app {

GradientPanel::GradientPanel(const QColor& top, const QColor& bottom, QWidget* parent)
    : QWidget(parent), top_(top), bottom_(bottom) {}

void GradientPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient gradient(0, 0, 0, height());
  gradient.setColorAt(0, top_);
  gradient.setColorAt(1, bottom_);
  painter.fillRect(rect(), gradient);
}

FrameTitle::FrameTitle(const QString& text, const QString& hint, int height, QWidget* parent)
    : QLabel(text, parent), hint_(hint) {
  setFixedHeight(height);
  setAlignment(Qt::AlignCenter);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, colours::kDarkBlue);
  palette.setColor(QPalette::WindowText, Qt::white);
  setPalette(palette);
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
}

void FrameTitle::enterEvent(QEnterEvent*) { emit hintEntered(hint_); }

void FrameTitle::leaveEvent(QEvent*) { emit hintLeft(); }

PictureButton::PictureButton(const QPixmap& normal, const QPixmap& highlighted, const QString& hint,
                             QWidget* parent)
    : QToolButton(parent), normal_(normal), highlighted_(highlighted), hint_(hint) {
  setIcon(normal_);
  setIconSize(QSize(32, 32));
  setFixedSize(32, 32);
  setAutoRaise(true);
  setCursor(Qt::PointingHandCursor);
  setMouseTracking(true);
  // Tab reaches it, a click leaves the focus where it was (on the list whose row it acts on).
  setFocusPolicy(Qt::TabFocus);
  setStyleSheet(
      QStringLiteral("QToolButton { border: none; background: transparent; }"
                     "QToolButton:focus { border: 1px dotted white; }"));
}

void PictureButton::enterEvent(QEnterEvent* event) {
  setIcon(highlighted_);
  emit hintMoved(hint_);
  QToolButton::enterEvent(event);
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
  emit hintMoved(hint_);
  QToolButton::mouseMoveEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
  setIcon(normal_);
  emit hintLeft();
  QToolButton::leaveEvent(event);
}

QPixmap StripPicture(const QPixmap& strip, int index) {
  int side = strip.height();
  return strip.copy(index * side, 0, side, side);
}

}  // namespace trubkom::app
