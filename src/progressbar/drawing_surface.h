#pragma once

// The window the progress bar draws itself on, as the control sees it: a
// client area in pixels, a device context for the gradient painters, a fore
// colour that is both pen and text colour, a text cursor, text printing and
// measuring in a shared font, and the window's shape.

#include <QFont>
#include <QString>
#include <cstdint>
#include <memory>

#include "quorvel/progressbar/colour.h"
#include "quorvel/progressbar/device_context.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// A window region: the rectangle (x1, y1)-(x2, y2), right and bottom
// exclusive, with each corner rounded by an ellipse of the given size (0 for
// square corners).
struct RoundRectRegion {
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  std::int32_t ellipse_width = 0;
  std::int32_t ellipse_height = 0;

  friend bool operator==(const RoundRectRegion&, const RoundRectRegion&) = default;
};

inline RoundRectRegion CreateRoundRectRgn(std::int32_t x1, std::int32_t y1, std::int32_t x2,
                                          std::int32_t y2, std::int32_t ellipse_width,
                                          std::int32_t ellipse_height) {
  return {x1, y1, x2, y2, ellipse_width, ellipse_height};
}

class QUORVEL_PROGRESSBAR_EXPORT DrawingSurface {
 public:
  virtual ~DrawingSurface() = default;

  // Clips the window to `region` from now on, replacing the region set
  // before; with `redraw` the window is repainted at once.
  virtual Status SetWindowRgn(const RoundRectRegion& region, bool redraw) = 0;

  // The client area in pixels.
  virtual float ScaleWidth() const = 0;
  virtual float ScaleHeight() const = 0;

  // Clears the client area to the background colour.
  virtual void Cls() = 0;

  // The pen colour of RoundRect() and the colour of printed text.
  virtual void SetForeColor(Colour colour) = 0;
  virtual Colour ForeColor() const = 0;

  // Where the next Print() puts the top-left corner of its text, in pixels.
  virtual void SetCurrentX(float x) = 0;
  virtual void SetCurrentY(float y) = 0;
  virtual float CurrentX() const = 0;
  virtual float CurrentY() const = 0;

  // Draws `text` at the current position in the current font and fore
  // colour, on a transparent background.
  virtual Status Print(const QString& text) = 0;

  // The size of `text` in the current font, in pixels.
  virtual float TextWidth(const QString& text) const = 0;
  virtual float TextHeight(const QString& text) const = 0;

  // The font of Print() and of the measurements: the very object given, shared
  // with whoever else holds it, so later changes made through it show in the
  // next print. Null selects the surface's default font.
  virtual void SetFont(std::shared_ptr<QFont> font) = 0;
  virtual std::shared_ptr<QFont> Font() const = 0;

  // The device context of the client area, for the gradient painters.
  virtual DeviceContext& Dc() = 0;

  // Outlines the rectangle left, top, right, bottom with corners rounded by an
  // ellipse of the given size, one pixel wide in the fore colour; the inside
  // is left as it is.
  virtual Status RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                           std::int32_t bottom, std::int32_t ellipse_width,
                           std::int32_t ellipse_height) = 0;
};

}  // namespace quorvel::progressbar
