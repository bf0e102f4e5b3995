#include "client/shell/notice_placement.h"

#include <algorithm>
#include <cmath>

#include "client/shell/main_layout.h"
#include "client/shell/twips.h"

namespace quorvel::shell {

QPoint NoticeWindowPosition(const QRect& screen_geometry, const QSize& outer_size,
                            double pixel_ratio) {
  const int gap = int(std::lround(TwipsToPixels(notice_design::kBottomGap) * pixel_ratio));
  const int left = screen_geometry.x() + screen_geometry.width() - outer_size.width();
  const int top = screen_geometry.y() + screen_geometry.height() - outer_size.height() - gap;
  return QPoint(left, top);
}

QPoint MainWindowPosition(const QRect& available_geometry, const QSize& outer_size) {
  const int left =
      available_geometry.x() + std::max(0, (available_geometry.width() - outer_size.width()) / 2);
  const int top =
      available_geometry.y() + std::max(0, (available_geometry.height() - outer_size.height()) / 2);
  return QPoint(left, top);
}

}  // namespace quorvel::shell
