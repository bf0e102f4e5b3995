#include "client/shell/notice_placement.h"

#include <algorithm>
#include <cmath>

#include "client/shell/main_layout.h"
#include "client/shell/twips.h"

namespace quorvel::shell {

ScreenPoint NoticeWindowPosition(const ScreenRect& screen_geometry, const ScreenSize& outer_size,
                                 double pixel_ratio) {
  const int gap = int(std::lround(TwipsToPixels(notice_design::kBottomGap) * pixel_ratio));
  const int left = screen_geometry.left + screen_geometry.width - outer_size.width;
  const int top = screen_geometry.top + screen_geometry.height - outer_size.height - gap;
  return {left, top};
}

ScreenPoint MainWindowPosition(const ScreenRect& available_geometry, const ScreenSize& outer_size) {
  const int left =
      available_geometry.left + std::max(0, (available_geometry.width - outer_size.width) / 2);
  const int top =
      available_geometry.top + std::max(0, (available_geometry.height - outer_size.height) / 2);
  return {left, top};
}

}  // namespace quorvel::shell
