#pragma once

#include <QLabel>
#include <QString>

namespace trubkom::app {

class PictureButton;

// The hint bar at the top of the window: what the control under the mouse does, and notices the
// window gives. A notice stays while the mouse goes on over the control that asked for it, and
// gives way to the next hint.
class HintBar : public QLabel {
 public:
  explicit HintBar(QWidget* parent = nullptr);

  void ShowHint(const QString& hint);
  void ShowNotice(const QString& notice);
  // The button's hint shows here while the mouse is over it.
  void Follow(PictureButton* button);
  // A frame's title, whose hint shows here while the mouse is over it.
  QWidget* Title(const char* text, const char* hint, int height);

 private:
  QString notice_;             // the notice on show, if any
  QString hint_under_notice_;  // the hint it covered
};

}  // namespace trubkom::app
