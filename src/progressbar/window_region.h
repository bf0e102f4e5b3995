#pragma once

#include <QRegion>

#include "progressbar/drawing_surface.h"
#include "progressbar/progressbar_export.h"

namespace quorvel::progressbar {

// The pixels of a rounded-rectangle window region: the rectangle x1..x2 - 1,
// y1..y2 - 1 less what lies outside the quarter ellipses (of the region's
// ellipse width and height, each clamped to 0 .. the rectangle's size) in its
// corners. A row keeps the pixels whose centres lie inside the ellipse at
// that row's centre line. An empty rectangle gives an empty region.
QUORVEL_PROGRESSBAR_INTERNAL QRegion ToQRegion(const RoundRectRegion& region);

}  // namespace quorvel::progressbar
