#include "progressbar/image_drawing_surface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "progressbar/image_drawing_surface_private.h"

namespace quorvel::progressbar {

namespace {

// The background of a control that draws no bands: the platform's face
// colour of buttons and panels.
constexpr Colour kButtonFace = Rgb(240, 240, 240);

QColor ToQColor(Colour colour) { return QColor(GetRed(colour), GetGreen(colour), GetBlue(colour)); }

}  // namespace

ImageDrawingSurfacePrivate::ImageDrawingSurfacePrivate() : dc(&image), back_color(kButtonFace) {}

ImageDrawingSurface::ImageDrawingSurface() : d_(std::make_unique<ImageDrawingSurfacePrivate>()) {}

ImageDrawingSurface::~ImageDrawingSurface() = default;

void ImageDrawingSurface::Resize(QSize size) {
  d_->size = size;
  if (size.width() <= 0 || size.height() <= 0) {
    d_->image = QImage();
    return;
  }
  d_->image = QImage(size * d_->ratio, QImage::Format_RGB32);
  d_->image.setDevicePixelRatio(d_->ratio);
  Cls();
}

Status ImageDrawingSurface::SetWindowRgn(const RoundRectRegion& region, bool redraw) {
  d_->region = region;
  if (d_->region_listener) d_->region_listener(region, redraw);
  return Status::Ok();
}

void ImageDrawingSurface::Cls() {
  if (!d_->image.isNull()) d_->image.fill(ToQColor(d_->back_color));
}

Status ImageDrawingSurface::Print(const QString& text) {
  if (d_->image.isNull()) return Status::Failure("no client area to print on");
  QPainter painter(&d_->image);
  if (!painter.isActive()) return Status::Failure("cannot paint on the client area");
  const QFont& font = d_->CurrentFont();
  painter.setFont(font);
  painter.setPen(ToQColor(d_->fore_color));
  const QFontMetricsF metrics(font, &d_->image);
  painter.drawText(QPointF(d_->current_x, double{d_->current_y} + metrics.ascent()), text);
  return Status::Ok();
}

float ImageDrawingSurface::TextWidth(const QString& text) const {
  return static_cast<float>(QFontMetricsF(d_->CurrentFont(), &d_->image).horizontalAdvance(text));
}

float ImageDrawingSurface::TextHeight(const QString&) const {
  return static_cast<float>(QFontMetricsF(d_->CurrentFont(), &d_->image).height());
}

Status ImageDrawingSurface::RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom, std::int32_t ellipse_width,
                                      std::int32_t ellipse_height) {
  if (d_->image.isNull()) return Status::Failure("no client area to draw on");
  // The pen runs along the inside of the box, which excludes right and bottom.
  const std::int64_t width = std::int64_t{right} - left - 1;
  const std::int64_t height = std::int64_t{bottom} - top - 1;
  if (width < 0 || height < 0) return Status::Ok();
  QPainter painter(&d_->image);
  if (!painter.isActive()) return Status::Failure("cannot paint on the client area");
  painter.setBrush(Qt::NoBrush);
  const double radius_x = std::clamp<double>(ellipse_width, 0.0, double(width) + 1) / 2;
  const double radius_y = std::clamp<double>(ellipse_height, 0.0, double(height) + 1) / 2;
  QRectF box(left, top, static_cast<double>(width), static_cast<double>(height));
  if (d_->ratio == 1) {
    painter.setPen(QPen(ToQColor(d_->fore_color), 0));
  } else {
    // One logical pixel wide, covering the same pixels as at ratio 1: a
    // one-pixel pen centred half a pixel inside the box's edges.
    painter.setPen(QPen(ToQColor(d_->fore_color), 1));
    box.translate(0.5, 0.5);
  }
  if (radius_x < 1 || radius_y < 1) {
    painter.drawRect(box);
  } else {
    painter.drawRoundedRect(box, radius_x, radius_y, Qt::AbsoluteSize);
  }
  return Status::Ok();
}

QSize ImageDrawingSurface::Size() const { return d_->size; }

void ImageDrawingSurface::SetDevicePixelRatio(qreal ratio) { d_->ratio = ratio > 0 ? ratio : 1; }

qreal ImageDrawingSurface::DevicePixelRatio() const { return d_->ratio; }

const QImage& ImageDrawingSurface::Image() const { return d_->image; }

void ImageDrawingSurface::SetBackColor(Colour colour) { d_->back_color = colour; }

Colour ImageDrawingSurface::BackColor() const { return d_->back_color; }

void ImageDrawingSurface::OnWindowRegion(
    std::function<void(const RoundRectRegion&, bool)> listener) {
  d_->region_listener = std::move(listener);
}

const std::optional<RoundRectRegion>& ImageDrawingSurface::WindowRegion() const {
  return d_->region;
}

float ImageDrawingSurface::ScaleWidth() const {
  return static_cast<float>(d_->image.isNull() ? 0 : d_->size.width());
}

float ImageDrawingSurface::ScaleHeight() const {
  return static_cast<float>(d_->image.isNull() ? 0 : d_->size.height());
}

void ImageDrawingSurface::SetForeColor(Colour colour) { d_->fore_color = colour; }

Colour ImageDrawingSurface::ForeColor() const { return d_->fore_color; }

void ImageDrawingSurface::SetCurrentX(float x) { d_->current_x = x; }

void ImageDrawingSurface::SetCurrentY(float y) { d_->current_y = y; }

float ImageDrawingSurface::CurrentX() const { return d_->current_x; }

float ImageDrawingSurface::CurrentY() const { return d_->current_y; }

void ImageDrawingSurface::SetFont(std::shared_ptr<QFont> font) { d_->font = std::move(font); }

std::shared_ptr<QFont> ImageDrawingSurface::Font() const { return d_->font; }

DeviceContext& ImageDrawingSurface::Dc() { return d_->dc; }

}  // namespace quorvel::progressbar
