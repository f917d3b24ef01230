#pragma once

#include <QRect>
#include <QSize>
#include <optional>

// Where the main window opens. Sizes are Qt's device-independent pixels, in which a screen's
// available area (without its panels and docks) is given with the screen's scale already
// divided out: a 1280x1024 screen at scale 2 is a 640x512 area.
namespace trubkom::app {

// The window's place and size on the first start, as the catalogue's forms were laid out.
inline constexpr QRect kFirstStartGeometry(152, 247, 993, 680);
inline constexpr QSize kDesignMinimumSize(800, 370);

// The geometry the window takes in the area. The first start (no remembered geometry, or one
// without a size) takes kFirstStartGeometry where it lies inside the area, else that size cut
// down to the area and centred in it. A remembered geometry is kept where it lies inside the
// area, else cut down to the area and moved in by as little as it takes.
QRect FitWindow(const std::optional<QRect>& remembered, const QRect& area);

// A remembered geometry taken at one screen scale, in the device-independent pixels of another:
// the same place and size in the screen's own pixels, so that a session at scale 2 leaves the
// next one at scale 1 a window as large as it saw, not half of it.
QRect RescaledGeometry(const QRect& remembered, double remembered_scale, double scale);

// The window's minimum size, cut down to the area so that the window fits into it.
QSize FitMinimumSize(const QSize& minimum, const QRect& area);

}  // namespace trubkom::app
