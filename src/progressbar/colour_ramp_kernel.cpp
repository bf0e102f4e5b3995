#include "progressbar/colour_ramp_kernel.h"

namespace quorvel::progressbar {

void WriteRamp(std::uint8_t* out, std::int32_t count, const RampSteps& steps, PixelTriple from) {
  for (std::int32_t i = 0; i <= count; ++i) {
    for (int k = 2; k >= 0; --k)
      out[3 * static_cast<std::size_t>(i) + k] = RampByte(steps[k], i, from[k]);
  }
}

}  // namespace quorvel::progressbar
