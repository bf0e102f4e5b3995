#include "progressbar/image_device_context.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "progressbar/image_device_context_private.h"
#include "progressbar/pixel_kernels.h"

namespace quorvel::progressbar {

namespace {

constexpr QRgb kOpaque = 0xFF000000u;

// A vertex's 16-bit channels, read unsigned.
struct Channels16 {
  std::uint64_t red;
  std::uint64_t green;
  std::uint64_t blue;
};

Channels16 ChannelsOf(const TriVertex& v) {
  return {static_cast<std::uint16_t>(v.red), static_cast<std::uint16_t>(v.green),
          static_cast<std::uint16_t>(v.blue)};
}

// The 8-bit channel at distance d, d + 1, d + 2, ... of `span` pixels between
// two vertices, (near * (span - d) + far * d) / (span * 256) rounded down,
// without a division per pixel: the numerator grows by (far - near) per step, and the quotient and
// remainder follow it exactly.
class ChannelWalk {
 public:
  ChannelWalk(std::uint64_t near, std::uint64_t far, std::uint64_t span, std::uint64_t d)
      : divisor_(static_cast<std::int64_t>(span * 256)) {
    const std::uint64_t numerator = near * (span - d) + far * d;
    quotient_ = static_cast<std::int64_t>(numerator / static_cast<std::uint64_t>(divisor_));
    remainder_ = static_cast<std::int64_t>(numerator % static_cast<std::uint64_t>(divisor_));
    const auto delta = static_cast<std::int64_t>(far) - static_cast<std::int64_t>(near);
    step_quotient_ = delta / divisor_;
    step_remainder_ = delta % divisor_;
  }

  std::uint32_t value() const { return static_cast<std::uint32_t>(quotient_); }

  void Advance() {
    quotient_ += step_quotient_;
    remainder_ += step_remainder_;
    if (remainder_ >= divisor_) {
      remainder_ -= divisor_;
      ++quotient_;
    } else if (remainder_ < 0) {
      remainder_ += divisor_;
      --quotient_;
    }
  }

 private:
  std::int64_t divisor_;
  std::int64_t quotient_;
  std::int64_t remainder_;
  std::int64_t step_quotient_;
  std::int64_t step_remainder_;
};

}  // namespace

ImageDeviceContext::ImageDeviceContext(QImage* image)
    : d_(std::make_unique<ImageDeviceContextPrivate>(image)) {}

ImageDeviceContext::~ImageDeviceContext() = default;

bool ImageDeviceContextPrivate::Usable() const {
  if (image == nullptr || image->isNull()) return false;
  const QImage::Format format = image->format();
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

qreal ImageDeviceContextPrivate::Ratio() const { return image->devicePixelRatio(); }

std::int64_t ImageDeviceContextPrivate::ToDevice(std::int64_t logical) const {
  const qreal ratio = Ratio();
  if (ratio == 1) return logical;
  return std::llround(static_cast<double>(logical) * ratio);
}

DeviceRect ImageDeviceContext::GetClipBox() const {
  if (!d_->Usable()) return {};
  const QSizeF logical = d_->image->deviceIndependentSize();
  return {0, 0, static_cast<std::int32_t>(std::ceil(logical.width())),
          static_cast<std::int32_t>(std::ceil(logical.height()))};
}

bool ImageDeviceContext::GradientFill(const TriVertex* vertices, std::uint32_t vertex_count,
                                      const GradientRect* mesh, std::uint32_t mesh_count,
                                      std::uint32_t mode) {
  if (!d_->Usable()) return false;
  if (mode != kGradientFillRectH && mode != kGradientFillRectV) return false;
  if (mesh_count > 0 && (mesh == nullptr || vertices == nullptr)) return false;
  // A bad mesh paints none of its rectangles.
  for (std::uint32_t i = 0; i < mesh_count; ++i) {
    if (mesh[i].upper_left >= vertex_count || mesh[i].lower_right >= vertex_count) return false;
  }
  for (std::uint32_t i = 0; i < mesh_count; ++i) {
    d_->FillRect(vertices[mesh[i].upper_left], vertices[mesh[i].lower_right],
                 mode == kGradientFillRectH);
  }
  return true;
}

void ImageDeviceContextPrivate::FillRect(const TriVertex& upper_left, const TriVertex& lower_right,
                                         bool horizontal) {
  // The gradient runs over the device pixels the logical rectangle covers.
  const std::int64_t left = ToDevice(upper_left.x);
  const std::int64_t top = ToDevice(upper_left.y);
  const std::int64_t right = ToDevice(lower_right.x);
  const std::int64_t bottom = ToDevice(lower_right.y);
  if (right <= left || bottom <= top) return;
  const std::int64_t clip_left = std::max<std::int64_t>(left, 0);
  const std::int64_t clip_top = std::max<std::int64_t>(top, 0);
  const std::int64_t clip_right = std::min<std::int64_t>(right, image->width());
  const std::int64_t clip_bottom = std::min<std::int64_t>(bottom, image->height());
  if (clip_right <= clip_left || clip_bottom <= clip_top) return;

  // One walk along the gradient's direction, over the columns of a
  // horizontal fill or the rows of a vertical one, starting at the first
  // pixel inside the image.
  const Channels16 near = ChannelsOf(upper_left);
  const Channels16 far = ChannelsOf(lower_right);
  const auto span = static_cast<std::uint64_t>(horizontal ? right - left : bottom - top);
  const auto d = static_cast<std::uint64_t>(horizontal ? clip_left - left : clip_top - top);
  ChannelWalk red(near.red, far.red, span, d);
  ChannelWalk green(near.green, far.green, span, d);
  ChannelWalk blue(near.blue, far.blue, span, d);
  const auto next_colour = [&] {
    const QRgb colour = kOpaque | (red.value() << 16) | (green.value() << 8) | blue.value();
    red.Advance();
    green.Advance();
    blue.Advance();
    return colour;
  };

  const std::int64_t columns = clip_right - clip_left;
  const std::int64_t stride = image->bytesPerLine();
  std::uint8_t* const origin = image->bits() + clip_top * stride + clip_left * sizeof(QRgb);
  const auto row_at = [origin, stride, clip_top](std::int64_t y) {
    return reinterpret_cast<QRgb*>(origin + (y - clip_top) * stride);
  };

  if (horizontal) {
    // Every row is the same: compute the first, copy it to the others.
    QRgb* first = row_at(clip_top);
    for (std::int64_t x = 0; x < columns; ++x) first[x] = next_colour();
    const auto row_bytes = static_cast<std::size_t>(columns) * sizeof(QRgb);
    for (std::int64_t y = clip_top + 1; y < clip_bottom; ++y) {
      std::memcpy(row_at(y), first, row_bytes);
    }
  } else {
    for (std::int64_t y = clip_top; y < clip_bottom; ++y) {
      pixel_kernels::Fill32(row_at(y), columns, next_colour());
    }
  }
}

int ImageDeviceContext::SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width,
                                          std::uint32_t height, std::int32_t x_src,
                                          std::int32_t y_src, std::uint32_t start_scan,
                                          std::uint32_t scan_count, const void* bits,
                                          const BitmapInfo* info, std::uint32_t colour_use) {
  if (!d_->Usable() || bits == nullptr || info == nullptr) return 0;
  const BitmapInfoHeader& header = info->header;
  if (header.size != sizeof(BitmapInfoHeader) || header.planes != 1 || header.bit_count != 24 ||
      header.compression != kBiRgb || colour_use != kDibRgbColours) {
    return 0;
  }
  if (header.width <= 0 || header.height <= 0) return 0;
  if (start_scan != 0 || scan_count != static_cast<std::uint32_t>(header.height)) return 0;
  if (x_src < 0 || y_src < 0 || std::int64_t{x_src} + width > header.width ||
      std::int64_t{y_src} + height > header.height) {
    return 0;
  }

  const std::int64_t stride = ScanLineBytes24(header.width);
  const auto* source = static_cast<const std::uint8_t*>(bits);
  if (d_->Ratio() != 1) {
    d_->PutScaledLines(x, y, width, height, x_src, y_src, source, stride);
    return static_cast<int>(scan_count);
  }
  const std::int64_t clip_left = std::max<std::int64_t>(x, 0);
  const std::int64_t clip_right =
      std::min<std::int64_t>(std::int64_t{x} + width, d_->image->width());
  if (clip_left < clip_right) {
    // Bottom-up: the source rectangle's lowest line is stored first and lands
    // on the destination's last row.
    for (std::int64_t j = 0; j < height; ++j) {
      const std::int64_t target_y = std::int64_t{y} + height - 1 - j;
      if (target_y < 0 || target_y >= d_->image->height()) continue;
      const std::uint8_t* line =
          source + (y_src + j) * stride + 3 * (std::int64_t{x_src} + (clip_left - x));
      auto* target = reinterpret_cast<QRgb*>(d_->image->scanLine(static_cast<int>(target_y)));
      pixel_kernels::TriplesToRgb32(line, target + clip_left, clip_right - clip_left);
    }
  }
  return static_cast<int>(scan_count);
}

void ImageDeviceContextPrivate::PutScaledLines(std::int32_t x, std::int32_t y, std::uint32_t width,
                                               std::uint32_t height, std::int32_t x_src,
                                               std::int32_t y_src, const std::uint8_t* source,
                                               std::int64_t stride) {
  // Each source pixel covers the device pixels of its logical pixel.
  const qreal ratio = Ratio();
  const std::int64_t device_left = std::max<std::int64_t>(ToDevice(x), 0);
  const std::int64_t device_right =
      std::min<std::int64_t>(ToDevice(std::int64_t{x} + width), image->width());
  const std::int64_t device_top = std::max<std::int64_t>(ToDevice(y), 0);
  const std::int64_t device_bottom =
      std::min<std::int64_t>(ToDevice(std::int64_t{y} + height), image->height());
  for (std::int64_t row = device_top; row < device_bottom; ++row) {
    const std::int64_t logical_row = std::clamp<std::int64_t>(
        static_cast<std::int64_t>(std::floor(static_cast<double>(row) / ratio)) - y, 0,
        std::int64_t{height} - 1);
    // Bottom-up: the source's lowest line is stored first.
    const std::uint8_t* line = source + (y_src + std::int64_t{height} - 1 - logical_row) * stride;
    auto* target = reinterpret_cast<QRgb*>(image->scanLine(static_cast<int>(row)));
    for (std::int64_t column = device_left; column < device_right; ++column) {
      const std::int64_t logical_column = std::clamp<std::int64_t>(
          static_cast<std::int64_t>(std::floor(static_cast<double>(column) / ratio)) - x, 0,
          std::int64_t{width} - 1);
      const std::uint8_t* triple = line + 3 * (std::int64_t{x_src} + logical_column);
      target[column] = qRgb(triple[2], triple[1], triple[0]);
    }
  }
}

}  // namespace quorvel::progressbar
