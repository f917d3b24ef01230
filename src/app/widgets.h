#pragma once

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QToolButton>
#include <QWidget>

// Small widgets of the main window: gradient panels, frame titles and picture buttons that
// report hints.
namespace trubkom::app {

namespace colours {
inline const QColor kDarkBlue(0x2C, 0x60, 0xAC);
inline const QColor kColumnTop(0x7B, 0xA3, 0xDD);
inline const QColor kColumnBottom(0xD8, 0xE4, 0xF8);
inline const QColor kPaleBlue(0xD5, 0xE6, 0xFA);
inline const QColor kLightBlue(0xE4, 0xED, 0xFA);
}  // namespace colours

// A panel painted with a vertical gradient.
class GradientPanel : public QWidget {
 public:
  GradientPanel(const QColor& top, const QColor& bottom, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor top_, bottom_;
};

// A frame title: white bold text centred on dark blue; entering it shows its hint.
class FrameTitle : public QLabel {
  Q_OBJECT
 public:
  FrameTitle(const QString& text, const QString& hint, int height, QWidget* parent = nullptr);

 signals:
  void hintEntered(const QString& hint);
  void hintLeft();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QString hint_;
};

// A toolbar picture button: the highlighted picture while the mouse is over it, its hint in the
// hint bar while the mouse moves over it. Tab reaches it; a click does not take the focus.
class PictureButton : public QToolButton {
  Q_OBJECT
 public:
  PictureButton(const QPixmap& normal, const QPixmap& highlighted, const QString& hint,
                QWidget* parent = nullptr);

 signals:
  void hintMoved(const QString& hint);
  void hintLeft();

 protected:
  void enterEvent(QEnterEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QIcon normal_, highlighted_;
  QString hint_;
};

// One picture of a strip of square pictures.
QPixmap StripPicture(const QPixmap& strip, int index);

}  // namespace trubkom::app
