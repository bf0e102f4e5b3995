#pragma once

#include <QFont>
#include <QImage>
#include <QSize>
#include <functional>
#include <optional>

#include "quorvel/progressbar/drawing_surface.h"
#include "quorvel/progressbar/image_device_context.h"
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
class QUORVEL_PROGRESSBAR_EXPORT ImageDrawingSurface final : public DrawingSurface {
 public:
  ImageDrawingSurface();
  ImageDrawingSurface(const ImageDrawingSurface&) = delete;
  ImageDrawingSurface& operator=(const ImageDrawingSurface&) = delete;

  // A new client area of `size` logical pixels, cleared to the background
  // colour. A size with no pixels gives a surface on which drawing does
  // nothing.
  void Resize(QSize size);
  QSize Size() const { return size_; }

  // Device pixels per logical pixel of the next Resize() (1 until set). The
  // client area, the text cursor and every coordinate stay logical; the image
  // has this many times the pixels in each direction, so gradients, outlines
  // and glyphs are drawn at the device's resolution.
  void SetDevicePixelRatio(qreal ratio) { ratio_ = ratio > 0 ? ratio : 1; }
  qreal DevicePixelRatio() const { return ratio_; }

  // The back buffer, in QImage::Format_RGB32, at the device pixel ratio.
  const QImage& Image() const { return image_; }

  // The colour Cls() clears to.
  void SetBackColor(Colour colour) { back_color_ = colour; }
  Colour BackColor() const { return back_color_; }

  // Called with every region set and its redraw flag.
  void OnWindowRegion(std::function<void(const RoundRectRegion&, bool)> listener) {
    region_listener_ = std::move(listener);
  }
  // The region set last; the whole client area before the first.
  const std::optional<RoundRectRegion>& WindowRegion() const { return region_; }

  Status SetWindowRgn(const RoundRectRegion& region, bool redraw) override;
  float ScaleWidth() const override {
    return static_cast<float>(image_.isNull() ? 0 : size_.width());
  }
  float ScaleHeight() const override {
    return static_cast<float>(image_.isNull() ? 0 : size_.height());
  }
  void Cls() override;
  void SetForeColor(Colour colour) override { fore_color_ = colour; }
  Colour ForeColor() const override { return fore_color_; }
  void SetCurrentX(float x) override { current_x_ = x; }
  void SetCurrentY(float y) override { current_y_ = y; }
  float CurrentX() const override { return current_x_; }
  float CurrentY() const override { return current_y_; }
  Status Print(const QString& text) override;
  float TextWidth(const QString& text) const override;
  float TextHeight(const QString& text) const override;
  void SetFont(std::shared_ptr<QFont> font) override { font_ = std::move(font); }
  std::shared_ptr<QFont> Font() const override { return font_; }
  DeviceContext& Dc() override { return dc_; }
  Status RoundRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom,
                   std::int32_t ellipse_width, std::int32_t ellipse_height) override;

 private:
  // The font object if one is set, the default font otherwise.
  const QFont& CurrentFont() const { return font_ ? *font_ : default_font_; }

  QImage image_;
  QSize size_;
  qreal ratio_ = 1;
  ImageDeviceContext dc_;
  Colour back_color_;
  Colour fore_color_ = 0;
  float current_x_ = 0;
  float current_y_ = 0;
  std::shared_ptr<QFont> font_;
  QFont default_font_;
  std::optional<RoundRectRegion> region_;
  std::function<void(const RoundRectRegion&, bool)> region_listener_;
};

}  // namespace quorvel::progressbar
