#include "progressbar/window_region.h"

#include <QList>
#include <QRect>
#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quorvel::progressbar {

QRegion ToQRegion(const RoundRectRegion& region) {
  const std::int64_t width = std::int64_t{region.x2} - region.x1;
  const std::int64_t height = std::int64_t{region.y2} - region.y1;
  // QRegion works in int coordinates; a rectangle beyond them is no window.
  constexpr std::int64_t kLimit = 1 << 24;
  if (width <= 0 || height <= 0 || width > kLimit || height > kLimit) return QRegion();
  const double a = std::clamp<std::int64_t>(region.ellipse_width, 0, width) / 2.0;
  const double b = std::clamp<std::int64_t>(region.ellipse_height, 0, height) / 2.0;
  const int x1 = region.x1;
  const int y1 = region.y1;
  const int w = static_cast<int>(width);
  const int h = static_cast<int>(height);
  if (a < 1 || b < 1) return QRegion(x1, y1, w, h);

  // The inset of row y from each side; rows with the same inset share one
  // rectangle.
  auto inset_of = [&](int y) {
    const double centre = y + 0.5;
    double dy = 0;
    if (centre < b) dy = b - centre;
    if (centre > h - b) dy = centre - (h - b);
    if (dy <= 0) return 0;
    const double t = std::min(1.0, dy / b);
    return static_cast<int>(std::ceil(a - a * std::sqrt(1.0 - t * t) - 0.5));
  };
  QList<QRect> rects;
  int run_start = 0;
  int run_inset = inset_of(0);
  auto close_run = [&](int end) {
    if (2 * run_inset < w) {
      rects.append(QRect(x1 + run_inset, y1 + run_start, w - 2 * run_inset, end - run_start));
    }
  };
  for (int y = 1; y < h; ++y) {
    const int inset = inset_of(y);
    if (inset == run_inset) continue;
    close_run(y);
    run_start = y;
    run_inset = inset;
  }
  close_run(h);
  QRegion result;
  result.setRects(rects.constData(), static_cast<int>(rects.size()));
  return result;
}

}  // namespace quorvel::progressbar
