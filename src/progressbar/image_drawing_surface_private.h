#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>

#include "progressbar/drawing_surface.h"
#include "progressbar/image_device_context.h"

namespace quorvel::progressbar {

// The state of an ImageDrawingSurface: the back buffer and its device
// context, the pen, the text cursor, the font and the window region.
class ImageDrawingSurfacePrivate {
 public:
  ImageDrawingSurfacePrivate();

  // The font object if one is set, the default font otherwise.
  const QFont& CurrentFont() const { return font ? *font : default_font; }

  QImage image;
  QSize size;
  qreal ratio = 1;
  ImageDeviceContext dc;
  Colour back_color;
  Colour fore_color = 0;
  float current_x = 0;
  float current_y = 0;
  std::shared_ptr<QFont> font;
  QFont default_font;
  std::optional<RoundRectRegion> region;
  std::function<void(const RoundRectRegion&, bool)> region_listener;
};

}  // namespace quorvel::progressbar
