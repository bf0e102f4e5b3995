#include "progressbar/image_drawing_surface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>

namespace quorvel::progressbar {

namespace {

// The background of a control that draws no bands: the platform's face
// colour of buttons and panels.
constexpr Colour kButtonFace = Rgb(240, 240, 240);

QColor ToQColor(Colour colour) { return QColor(GetRed(colour), GetGreen(colour), GetBlue(colour)); }

}  // namespace

ImageDrawingSurface::ImageDrawingSurface() : dc_(&image_), back_color_(kButtonFace) {}

void ImageDrawingSurface::Resize(QSize size) {
  size_ = size;
  if (size.width() <= 0 || size.height() <= 0) {
    image_ = QImage();
    return;
  }
  image_ = QImage(size * ratio_, QImage::Format_RGB32);
  image_.setDevicePixelRatio(ratio_);
  Cls();
}

Status ImageDrawingSurface::SetWindowRgn(const RoundRectRegion& region, bool redraw) {
  region_ = region;
  if (region_listener_) region_listener_(region, redraw);
  return Status::Ok();
}

void ImageDrawingSurface::Cls() {
  if (!image_.isNull()) image_.fill(ToQColor(back_color_));
}

Status ImageDrawingSurface::Print(const QString& text) {
  if (image_.isNull()) return Status::Failure("no client area to print on");
  QPainter painter(&image_);
  if (!painter.isActive()) return Status::Failure("cannot paint on the client area");
  const QFont& font = CurrentFont();
  painter.setFont(font);
  painter.setPen(ToQColor(fore_color_));
  const QFontMetricsF metrics(font, &image_);
  painter.drawText(QPointF(current_x_, double{current_y_} + metrics.ascent()), text);
  return Status::Ok();
}

float ImageDrawingSurface::TextWidth(const QString& text) const {
  return static_cast<float>(QFontMetricsF(CurrentFont(), &image_).horizontalAdvance(text));
}

float ImageDrawingSurface::TextHeight(const QString&) const {
  return static_cast<float>(QFontMetricsF(CurrentFont(), &image_).height());
}

Status ImageDrawingSurface::RoundRect(std::int32_t left, std::int32_t top, std::int32_t right,
                                      std::int32_t bottom, std::int32_t ellipse_width,
                                      std::int32_t ellipse_height) {
  if (image_.isNull()) return Status::Failure("no client area to draw on");
  // The pen runs along the inside of the box, which excludes right and bottom.
  const std::int64_t width = std::int64_t{right} - left - 1;
  const std::int64_t height = std::int64_t{bottom} - top - 1;
  if (width < 0 || height < 0) return Status::Ok();
  QPainter painter(&image_);
  if (!painter.isActive()) return Status::Failure("cannot paint on the client area");
  painter.setBrush(Qt::NoBrush);
  const double radius_x = std::clamp<double>(ellipse_width, 0.0, double(width) + 1) / 2;
  const double radius_y = std::clamp<double>(ellipse_height, 0.0, double(height) + 1) / 2;
  QRectF box(left, top, static_cast<double>(width), static_cast<double>(height));
  if (ratio_ == 1) {
    painter.setPen(QPen(ToQColor(fore_color_), 0));
  } else {
    // One logical pixel wide, covering the same pixels as at ratio 1: a
    // one-pixel pen centred half a pixel inside the box's edges.
    painter.setPen(QPen(ToQColor(fore_color_), 1));
    box.translate(0.5, 0.5);
  }
  if (radius_x < 1 || radius_y < 1) {
    painter.drawRect(box);
  } else {
    painter.drawRoundedRect(box, radius_x, radius_y, Qt::AbsoluteSize);
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
