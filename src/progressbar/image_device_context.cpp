#include "progressbar/image_device_context.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

// The colour at distance d of `span` pixels between two vertices: each 8-bit
// channel is (near * (span - d) + far * d) / (span * 256), rounded down.
QRgb Interpolate(const Channels16& near, const Channels16& far, std::uint64_t span,
                 std::uint64_t d) {
  const std::uint64_t divisor = span * 256;
  const auto channel = [&](std::uint64_t a, std::uint64_t b) {
    return static_cast<unsigned>((a * (span - d) + b * d) / divisor);
  };
  return kOpaque | (channel(near.red, far.red) << 16) | (channel(near.green, far.green) << 8) |
         channel(near.blue, far.blue);
}

// Pixels in the order blue, green, red to 0xFFRRGGBB.
void ConvertBgrRow(const std::uint8_t* source, QRgb* target, std::int64_t count) {
  if (count <= 0) return;
  if constexpr (std::endian::native == std::endian::little) {
    // Four bytes at a time: the three of the pixel land where QRgb keeps
    // blue, green and red, and the fourth (the next pixel's) is masked off.
    // The last pixel is read bytewise so that nothing past it is touched.
    for (std::int64_t i = 0; i + 1 < count; ++i) {
      std::uint32_t word;
      std::memcpy(&word, source + 3 * i, 4);
      target[i] = kOpaque | (word & 0x00FFFFFFu);
    }
  } else {
    for (std::int64_t i = 0; i + 1 < count; ++i) {
      const std::uint8_t* p = source + 3 * i;
      target[i] = qRgb(p[2], p[1], p[0]);
    }
  }
  const std::uint8_t* last = source + 3 * (count - 1);
  target[count - 1] = qRgb(last[2], last[1], last[0]);
}

}  // namespace

bool ImageDeviceContext::Usable() const {
  if (image_ == nullptr || image_->isNull()) return false;
  const QImage::Format format = image_->format();
  return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
         format == QImage::Format_ARGB32_Premultiplied;
}

DeviceRect ImageDeviceContext::GetClipBox() const {
  if (!Usable()) return {};
  return {0, 0, image_->width(), image_->height()};
}

bool ImageDeviceContext::GradientFill(const TriVertex* vertices, std::uint32_t vertex_count,
                                      const GradientRect* mesh, std::uint32_t mesh_count,
                                      std::uint32_t mode) {
  if (!Usable()) return false;
  if (mode != kGradientFillRectH && mode != kGradientFillRectV) return false;
  if (mesh_count > 0 && (mesh == nullptr || vertices == nullptr)) return false;
  // A bad mesh paints none of its rectangles.
  for (std::uint32_t i = 0; i < mesh_count; ++i) {
    if (mesh[i].upper_left >= vertex_count || mesh[i].lower_right >= vertex_count) return false;
  }
  for (std::uint32_t i = 0; i < mesh_count; ++i) {
    FillRect(vertices[mesh[i].upper_left], vertices[mesh[i].lower_right],
             mode == kGradientFillRectH);
  }
  return true;
}

void ImageDeviceContext::FillRect(const TriVertex& upper_left, const TriVertex& lower_right,
                                  bool horizontal) {
  const std::int64_t left = upper_left.x;
  const std::int64_t top = upper_left.y;
  const std::int64_t right = lower_right.x;
  const std::int64_t bottom = lower_right.y;
  if (right <= left || bottom <= top) return;
  const std::int64_t clip_left = std::max<std::int64_t>(left, 0);
  const std::int64_t clip_top = std::max<std::int64_t>(top, 0);
  const std::int64_t clip_right = std::min<std::int64_t>(right, image_->width());
  const std::int64_t clip_bottom = std::min<std::int64_t>(bottom, image_->height());
  if (clip_right <= clip_left || clip_bottom <= clip_top) return;

  const Channels16 near = ChannelsOf(upper_left);
  const Channels16 far = ChannelsOf(lower_right);
  const std::int64_t columns = clip_right - clip_left;
  const auto row_at = [this, clip_left](std::int64_t y) {
    return reinterpret_cast<QRgb*>(image_->scanLine(static_cast<int>(y))) + clip_left;
  };

  if (horizontal) {
    // Every row is the same: compute the first, copy it to the others.
    const auto span = static_cast<std::uint64_t>(right - left);
    QRgb* first = row_at(clip_top);
    for (std::int64_t x = clip_left; x < clip_right; ++x) {
      first[x - clip_left] = Interpolate(near, far, span, static_cast<std::uint64_t>(x - left));
    }
    const auto row_bytes = static_cast<std::size_t>(columns) * sizeof(QRgb);
    for (std::int64_t y = clip_top + 1; y < clip_bottom; ++y) {
      std::memcpy(row_at(y), first, row_bytes);
    }
  } else {
    const auto span = static_cast<std::uint64_t>(bottom - top);
    for (std::int64_t y = clip_top; y < clip_bottom; ++y) {
      std::fill_n(row_at(y), columns,
                  Interpolate(near, far, span, static_cast<std::uint64_t>(y - top)));
    }
  }
}

int ImageDeviceContext::SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width,
                                          std::uint32_t height, std::int32_t x_src,
                                          std::int32_t y_src, std::uint32_t start_scan,
                                          std::uint32_t scan_count, const void* bits,
                                          const BitmapInfo* info, std::uint32_t colour_use) {
  if (!Usable() || bits == nullptr || info == nullptr) return 0;
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
  const std::int64_t clip_left = std::max<std::int64_t>(x, 0);
  const std::int64_t clip_right = std::min<std::int64_t>(std::int64_t{x} + width, image_->width());
  if (clip_left < clip_right) {
    // Bottom-up: the source rectangle's lowest line is stored first and lands
    // on the destination's last row.
    for (std::int64_t j = 0; j < height; ++j) {
      const std::int64_t target_y = std::int64_t{y} + height - 1 - j;
      if (target_y < 0 || target_y >= image_->height()) continue;
      const std::uint8_t* line =
          source + (y_src + j) * stride + 3 * (std::int64_t{x_src} + (clip_left - x));
      auto* target = reinterpret_cast<QRgb*>(image_->scanLine(static_cast<int>(target_y)));
      ConvertBgrRow(line, target + clip_left, clip_right - clip_left);
    }
  }
  return static_cast<int>(scan_count);
}

}  // namespace quorvel::progressbar
