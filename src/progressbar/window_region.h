#pragma once

#include <QRegion>

#include "quorvel/progressbar/drawing_surface.h"
#include "quorvel/progressbar/progressbar_export.h"

namespace quorvel::progressbar {

// The pixels of a rounded-rectangle window region: the rectangle x1..x2 - 1,
// y1..y2 - 1 less what lies outside the quarter ellipses (of the region's
// ellipse width and height, each clamped to 0 .. the rectangle's size) in its
// corners. A row keeps the pixels whose centres lie inside the ellipse at
// that row's centre line. An empty rectangle gives an empty region. A host
// shapes its window with it (QWidget::setMask()) or clears what lies outside.
QUORVEL_PROGRESSBAR_EXPORT QRegion ToQRegion(const RoundRectRegion& region);

}  // namespace quorvel::progressbar
