#include "app/window_geometry.h"

#include <algorithm>
#include <cmath>

namespace trubkom::app {

namespace {

// The size, no larger than the area's.
QSize CutDown(const QSize& size, const QRect& area) { return size.boundedTo(area.size()); }

// The rectangle moved into the area by as little as it takes; it must be no larger.
QRect MovedInto(QRect rect, const QRect& area) {
  rect.moveLeft(std::clamp(rect.left(), area.left(), area.left() + area.width() - rect.width()));
  rect.moveTop(std::clamp(rect.top(), area.top(), area.top() + area.height() - rect.height()));
  return rect;
}

}  // namespace

QRect FitWindow(const std::optional<QRect>& remembered, const QRect& area) {
  if (remembered && !remembered->isEmpty()) {
    if (area.contains(*remembered)) return *remembered;
    return MovedInto(QRect(remembered->topLeft(), CutDown(remembered->size(), area)), area);
  }
  if (area.contains(kFirstStartGeometry)) return kFirstStartGeometry;
  QSize size = CutDown(kFirstStartGeometry.size(), area);
  return QRect(area.left() + (area.width() - size.width()) / 2,
               area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
}

QSize FitMinimumSize(const QSize& minimum, const QRect& area) { return CutDown(minimum, area); }

QRect RescaledGeometry(const QRect& remembered, double remembered_scale, double scale) {
  if (remembered_scale <= 0 || scale <= 0 || remembered_scale == scale) return remembered;
  const double factor = remembered_scale / scale;
  auto scaled = [factor](int length) { return static_cast<int>(std::lround(length * factor)); };
  return {scaled(remembered.x()), scaled(remembered.y()), scaled(remembered.width()),
          scaled(remembered.height())};
}

}  // namespace trubkom::app
