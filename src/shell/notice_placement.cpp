#include "shell/notice_placement.h"

#include "shell/main_layout.h"
#include "shell/twips.h"

namespace quorvel::shell {

QPoint NoticeWindowPosition(const QRect& screen_geometry, const QSize& outer_size) {
  const int gap = TwipsToPixels(notice_design::kBottomGap);
  const int left = screen_geometry.x() + screen_geometry.width() - outer_size.width();
  const int top = screen_geometry.y() + screen_geometry.height() - outer_size.height() - gap;
  return QPoint(left, top);
}

}  // namespace quorvel::shell
