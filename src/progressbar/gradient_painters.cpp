#include "progressbar/gradient_painters.h"

#include <algorithm>
#include <vector>

#include "progressbar/colour_ramp.h"
#include "progressbar/colour_ramp_kernel.h"
#include "progressbar/colour_vertex.h"
#include "progressbar/four_colour_rows.h"

namespace quorvel::progressbar {

namespace {

// A channel byte times 256 always fits the 16-bit pattern.
std::int16_t VertexChannel(int channel) { return LongToUShortBits(channel * 256).value_or(0); }

}  // namespace

TriVertex ColourVertex(std::int32_t x, std::int32_t y, Colour colour) {
  return TriVertex{x,
                   y,
                   VertexChannel(GetRed(colour)),
                   VertexChannel(GetGreen(colour)),
                   VertexChannel(GetBlue(colour)),
                   0};
}

void GradientTwoColour(DeviceContext& dc, std::uint32_t direction, Colour start, Colour end,
                       std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom) {
  const TriVertex vertices[2] = {ColourVertex(left, top, start), ColourVertex(right, bottom, end)};
  const GradientRect mesh{0, 1};
  static_cast<void>(dc.GradientFill(vertices, 2, &mesh, 1, direction));
}

Status DrawGradientFourColour(DeviceContext& dc, std::int32_t left, std::int32_t top,
                              std::int32_t width, std::int32_t height, Colour top_left,
                              Colour top_right, Colour bottom_left, Colour bottom_right) {
  ColourRamp left_column;
  ColourRamp right_column;
  if (Status built =
          BuildColourRamp(left_column, height, ToPixelTriple(top_left), ToPixelTriple(bottom_left));
      !built.ok()) {
    return built;
  }
  if (Status built = BuildColourRamp(right_column, height, ToPixelTriple(top_right),
                                     ToPixelTriple(bottom_right));
      !built.ok()) {
    return built;
  }
  if (width < 1) return Status::Failure("four-colour gradient: width below 1");
  if (Status checked = CheckRampCount(width); !checked.ok()) return checked;

  BitmapInfo info{};
  info.header.size = sizeof(BitmapInfoHeader);
  info.header.width = width;
  info.header.height = 1;
  info.header.planes = 1;
  info.header.bit_count = 24;
  info.header.compression = kBiRgb;

  // One buffer for every row. The row's ramp is built straight into it: its
  // first width triples are the scan line, and the buffer is long enough both
  // for the ramp's extra last entry and for the scan line's 4-byte rounding.
  const auto ramp_bytes = 3 * (static_cast<std::size_t>(width) + 1);
  std::vector<std::uint8_t> scan_line(
      std::max(ramp_bytes, static_cast<std::size_t>(ScanLineBytes24(width))));

  // Rows outside the device's reach would be clipped away entirely; they are
  // not built. The same holds for every row when the columns miss it.
  const DeviceRect clip = dc.GetClipBox();
  const std::int64_t row_right = static_cast<std::int64_t>(left) + width;
  if (row_right <= clip.left || left >= clip.right) return Status::Ok();
  const std::int64_t first_row = std::max<std::int64_t>(0, std::int64_t{clip.top} - top);
  const std::int64_t end_row = std::min<std::int64_t>(height, std::int64_t{clip.bottom} - top);

  FourColourRows rows(width);
  for (std::int64_t r = first_row; r < end_row; ++r) {
    // A row with the same end colours as the one before is the same row.
    if (r == first_row || left_column[r] != left_column[r - 1] ||
        right_column[r] != right_column[r - 1]) {
      rows.Build(left_column[r], right_column[r], scan_line.data());
    }
    static_cast<void>(dc.SetDIBitsToDevice(left, static_cast<std::int32_t>(top + r),
                                           static_cast<std::uint32_t>(width), 1, 0, 0, 0, 1,
                                           scan_line.data(), &info, kDibRgbColours));
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
