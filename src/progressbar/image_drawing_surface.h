#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <functional>
#include <memory>
#include <optional>

#include "quorvel/progressbar/drawing_surface.h"
#include "quorvel/progressbar/progressbar_export.h"

namespace quorvel::progressbar {

// A drawing surface whose client area is a persistent image (a back buffer):
// whatever is drawn stays there until it is drawn over, so a window showing
// the image can repaint itself from it at any time. Gradients and scan lines
// go straight into the image's pixels; text and outlines are drawn with
// QPainter and measured with QFontMetricsF in the surface's font.
//
// Geometry follows the platform's conventions: a print puts the top-left
// corner of the text's line box at the current position, and RoundRect()
// treats right and bottom as exclusive, so its outline covers the columns
// left to right - 1 and the rows top to bottom - 1.
//
// The window shape is not the surface's to apply: SetWindowRgn() keeps the
// region and hands it to the listener set with OnWindowRegion().
class ImageDrawingSurfacePrivate;

class QUORVEL_PROGRESSBAR_EXPORT ImageDrawingSurface final : public DrawingSurface {
 public:
  ImageDrawingSurface();
  ~ImageDrawingSurface() override;
  ImageDrawingSurface(const ImageDrawingSurface&) = delete;
  ImageDrawingSurface& operator=(const ImageDrawingSurface&) = delete;

  // A new client area of `size` logical pixels, cleared to the background
  // colour. A size with no pixels gives a surface on which drawing does
  // nothing.
  void Resize(QSize size);
  QSize Size() const;

  // Device pixels per logical pixel of the next Resize() (1 until set; a
  // ratio that is not positive counts as 1). The client area, the text cursor
  // and every coordinate stay logical; the image has this many times the
  // pixels in each direction, so gradients, outlines and glyphs are drawn at
  // the device's resolution.
  void SetDevicePixelRatio(qreal ratio);
  qreal DevicePixelRatio() const;

  // The back buffer, in QImage::Format_RGB32, at the device pixel ratio.
  const QImage& Image() const;

  // The colour Cls() clears to.
  void SetBackColor(Colour colour);
  Colour BackColor() const;

  // Called with every region set and its redraw flag.
  void OnWindowRegion(std::function<void(const RoundRectRegion&, bool)> listener);
  // The region set last; the whole client area before the first.
  const std::optional<RoundRectRegion>& WindowRegion() const;

  Status SetWindowRgn(const RoundRectRegion& region, bool redraw) override;
  float ScaleWidth() const override;
  float ScaleHeight() const override;
  void Cls() override;
  void SetForeColor(Colour colour) override;
  Colour ForeColor() const override;
  void SetCurrentX(float x) override;
  void SetCurrentY(float y) override;
  float CurrentX() const override;
  float CurrentY() const override;
  Status Print(const QString& text) override;
  float TextWidth(const QString& text) const override;
  float TextHeight(const QString& text) const override;
  void SetFont(std::shared_ptr<QFont> font) override;
  std::shared_ptr<QFont> Font() const override;
  DeviceContext& Dc() override;
  Status RoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                   std::int32_t ellipse_width, std::int32_t ellipse_height) override;

 private:
  const std::unique_ptr<ImageDrawingSurfacePrivate> d_;
};

}  // namespace quorvel::progressbar
