#include "app/real_clicks.h"

#include <QKeyEvent>

namespace trubkom::app {

namespace {

// The engine asks for the navigation a moment after the click; a second is ample for that and
// short enough that a page cannot save a click up for later.
constexpr qint64 kClickLifeMs = 1000;

bool IsClick(const QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease) return true;
  if (event->type() != QEvent::KeyPress) return false;
  int key = static_cast<const QKeyEvent*>(event)->key();
  return key == Qt::Key_Return || key == Qt::Key_Enter;
}

}  // namespace

bool RealClicks::Take() {
  bool fresh = since_click_.isValid() && since_click_.elapsed() < kClickLifeMs;
  since_click_.invalidate();
  return fresh;
}

bool RealClicks::eventFilter(QObject* watched, QEvent* event) {
  if (IsClick(event)) since_click_.start();
  return QObject::eventFilter(watched, event);
}

}  // namespace trubkom::app
