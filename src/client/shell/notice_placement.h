#pragma once

#include "client/shell/screen_geometry.h"

namespace quorvel::shell {

// Where the notice window's outer frame goes: flush with the right edge of
// the whole screen (not its work area) and 450 twips above its bottom edge.
// With a pixel ratio, the screen and the size are in device pixels and so is
// the gap.
ScreenPoint NoticeWindowPosition(const ScreenRect& screen_geometry, const ScreenSize& outer_size,
                                 double pixel_ratio = 1.0);

// Where the main window's outer frame goes: centred in the screen's work
// area; where it does not fit, its top left corner stays in the area, so
// that the caption can always be reached.
ScreenPoint MainWindowPosition(const ScreenRect& available_geometry, const ScreenSize& outer_size);

}  // namespace quorvel::shell
