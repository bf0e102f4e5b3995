#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quorvel::shell {

// Where the notice window's outer frame goes: flush with the right edge of
// the whole screen (not its work area) and 450 twips above its bottom edge.
QPoint NoticeWindowPosition(const QRect& screen_geometry, const QSize& outer_size);

}  // namespace quorvel::shell
