#pragma once

#include <QImage>
#include <memory>

#include "quorvel/progressbar/device_context.h"
#include "quorvel/progressbar/progressbar_export.h"

namespace quorvel::progressbar {

// A device context over a QImage of format QImage::Format_RGB32 (each pixel
// 0xFFRRGGBB). The image is not owned and must outlive the context; drawing is
// clipped to it. On an image of any other format, or a null image, every
// operation fails and paints nothing.
//
// GradientFill: per 8-bit channel, the column at distance d from the left edge
// of a rectangle w pixels wide (horizontal mode) gets
//   (c_left * (w - d) + c_right * d) / (w * 256), rounded down,
// with c the vertex's 16-bit channel read unsigned; so the left column has the
// left vertex's colour exactly and the colour runs towards the right vertex's
// without reaching it. Vertical mode does the same per row from the top.
// Coordinates are those of the whole rectangle even where it is clipped.
//
// SetDIBitsToDevice: 24-bit uncompressed bitmaps with literal colours, bottom
// up (positive height), handed over whole (start_scan 0, scan_count equal to
// the height); the source rectangle must lie inside the bitmap. Anything else
// fails with 0.
//
// On an image whose device pixel ratio is not 1 every coordinate is logical:
// a gradient runs over the device pixels its rectangle covers, and each pixel
// of a bitmap fills the device pixels of its logical pixel.
class ImageDeviceContextPrivate;

class QUORVEL_PROGRESSBAR_EXPORT ImageDeviceContext final : public DeviceContext {
 public:
  explicit ImageDeviceContext(QImage* image);
  ~ImageDeviceContext() override;
  ImageDeviceContext(const ImageDeviceContext&) = delete;
  ImageDeviceContext& operator=(const ImageDeviceContext&) = delete;

  // The whole image; empty when the image is unusable.
  DeviceRect GetClipBox() const override;
  bool GradientFill(const TriVertex* vertices, std::uint32_t vertex_count, const GradientRect* mesh,
                    std::uint32_t mesh_count, std::uint32_t mode) override;
  int SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                        std::int32_t x_src, std::int32_t y_src, std::uint32_t start_scan,
                        std::uint32_t scan_count, const void* bits, const BitmapInfo* info,
                        std::uint32_t colour_use) override;

 private:
  const std::unique_ptr<ImageDeviceContextPrivate> d_;
};

}  // namespace quorvel::progressbar
