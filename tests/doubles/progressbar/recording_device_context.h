#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "progressbar/device_context.h"

namespace quorvel::progressbar::testing {

// A device context that paints nothing and keeps a copy of every call.
class RecordingDeviceContext final : public DeviceContext {
 public:
  struct GradientFillCall {
    std::vector<TriVertex> vertices;
    std::vector<GradientRect> mesh;
    std::uint32_t mode = 0;
  };
  struct SetDIBitsCall {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t x_src = 0;
    std::int32_t y_src = 0;
    std::uint32_t start_scan = 0;
    std::uint32_t scan_count = 0;
    BitmapInfo info{};
    // scan_count scan lines of the header's width, as handed over.
    std::vector<std::uint8_t> bits;
    std::uint32_t colour_use = 0;
  };

  DeviceRect GetClipBox() const override { return clip_box; }
  bool GradientFill(const TriVertex* vertices, std::uint32_t vertex_count, const GradientRect* mesh,
                    std::uint32_t mesh_count, std::uint32_t mode) override;
  int SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width, std::uint32_t height,
                        std::int32_t x_src, std::int32_t y_src, std::uint32_t start_scan,
                        std::uint32_t scan_count, const void* bits, const BitmapInfo* info,
                        std::uint32_t colour_use) override;

  // What the calls return: a device that fails reports it.
  bool fail = false;
  // The whole coordinate range unless a test narrows it.
  DeviceRect clip_box{
      std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min(),
      std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max()};

  std::vector<GradientFillCall> gradient_fills;
  std::vector<SetDIBitsCall> set_dibits;
};

}  // namespace quorvel::progressbar::testing
