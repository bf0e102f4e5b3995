#include "recording_device_context.h"

namespace quorvel::progressbar::testing {

bool RecordingDeviceContext::GradientFill(const TriVertex* vertices, std::uint32_t vertex_count,
                                          const GradientRect* mesh, std::uint32_t mesh_count,
                                          std::uint32_t mode) {
  GradientFillCall call;
  if (vertices != nullptr) call.vertices.assign(vertices, vertices + vertex_count);
  if (mesh != nullptr) call.mesh.assign(mesh, mesh + mesh_count);
  call.mode = mode;
  gradient_fills.push_back(std::move(call));
  return !fail;
}

int RecordingDeviceContext::SetDIBitsToDevice(std::int32_t x, std::int32_t y, std::uint32_t width,
                                              std::uint32_t height, std::int32_t x_src,
                                              std::int32_t y_src, std::uint32_t start_scan,
                                              std::uint32_t scan_count, const void* bits,
                                              const BitmapInfo* info, std::uint32_t colour_use) {
  SetDIBitsCall call{x, y, width, height, x_src, y_src, start_scan, scan_count, {}, {}, colour_use};
  if (info != nullptr) {
    call.info = *info;
    if (bits != nullptr && info->header.width > 0) {
      const auto* bytes = static_cast<const std::uint8_t*>(bits);
      const auto length =
          static_cast<std::size_t>(ScanLineBytes24(info->header.width)) * scan_count;
      call.bits.assign(bytes, bytes + length);
    }
  }
  set_dibits.push_back(std::move(call));
  return fail ? 0 : static_cast<int>(scan_count);
}

}  // namespace quorvel::progressbar::testing
