#pragma once

#include <QImage>
#include <cstdint>

#include "progressbar/device_context.h"

namespace quorvel::progressbar {

// The state of an ImageDeviceContext: the image it draws on, and the helpers
// its two operations share.
class ImageDeviceContextPrivate {
 public:
  explicit ImageDeviceContextPrivate(QImage* image) : image(image) {}

  bool Usable() const;
  // Device pixels per logical pixel of the image, and a logical coordinate in
  // device pixels.
  qreal Ratio() const;
  std::int64_t ToDevice(std::int64_t logical) const;
  // SetDIBitsToDevice() on an image whose device pixel ratio is not 1.
  void PutScaledLines(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                      std::int32_t x_src, std::int32_t y_src, const std::uint8_t* source,
                      std::int64_t stride);
  void FillRect(const TriVertex& upper_left, const TriVertex& lower_right, bool horizontal);

  QImage* const image;
};

}  // namespace quorvel::progressbar
