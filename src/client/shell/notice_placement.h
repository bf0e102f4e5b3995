#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quorvel::shell {

// Where the notice window's outer frame goes: flush with the right edge of
// the whole screen (not its work area) and 450 twips above its bottom edge.
// With a pixel ratio, the screen and the size are in device pixels and so is
// the gap.
QPoint NoticeWindowPosition(const QRect& screen_geometry, const QSize& outer_size,
                            double pixel_ratio = 1.0);

// Where the main window's outer frame goes: centred in the screen's work
// area; where it does not fit, its top left corner stays in the area, so
// that the caption can always be reached.
QPoint MainWindowPosition(const QRect& available_geometry, const QSize& outer_size);

}  // namespace quorvel::shell
