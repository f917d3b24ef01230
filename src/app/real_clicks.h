#pragma once

#include <QElapsedTimer>
#include <QObject>

namespace trubkom::app {

// The user's own clicks in the browser area: a mouse button let go, or Enter or Return pressed,
// on one of the view's widgets. A page's link is handed to the desktop only on such a click, so a
// page can never send the desktop's browser anywhere by itself, however it asks.
class RealClicks : public QObject {
 public:
  using QObject::QObject;

  // Watches the input of a widget of the view (they come and go with the page's renderer).
  void Watch(QObject* widget) { widget->installEventFilter(this); }
  // True for a click of the last second that has not been used yet; it is used up, so one click
  // opens at most one address.
  bool Take();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QElapsedTimer since_click_;  // invalid while no click is unused
};

}  // namespace trubkom::app
