#include "progressbar/colour_ramp.h"

#include <cmath>
#include <limits>

#include "progressbar/colour_ramp_kernel.h"

namespace quorvel::progressbar {

PixelTriple ToPixelTriple(Colour colour) {
  return {static_cast<std::uint8_t>(GetBlue(colour)), static_cast<std::uint8_t>(GetGreen(colour)),
          static_cast<std::uint8_t>(GetRed(colour))};
}

float SafeDivide(double a, double b) {
  if (a == 0.0 || b == 0.0) return 0.0f;
  const double quotient = a / b;
  if (std::fabs(quotient) > std::numeric_limits<float>::max()) {
    return std::copysign(std::numeric_limits<float>::infinity(), quotient);
  }
  return static_cast<float>(quotient);
}

std::optional<std::int16_t> LongToUShortBits(std::int32_t v) {
  const std::int32_t bits = v < 32768 ? v : v - 65536;
  if (bits < std::numeric_limits<std::int16_t>::min() ||
      bits > std::numeric_limits<std::int16_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int16_t>(bits);
}

Status BuildColourRamp(ColourRamp& ramp, std::int32_t count, PixelTriple from, PixelTriple to) {
  if (Status checked = CheckRampCount(count); !checked.ok()) return checked;
  ramp.resize(static_cast<std::size_t>(count) + 1);
  const RampSteps steps = ComputeRampSteps(count, from, to);
  for (std::int32_t i = 0; i <= count; ++i) {
    for (int k = 2; k >= 0; --k) ramp[i][k] = RampByte(steps[k], i, from[k]);
  }
  return Status::Ok();
}

Status BuildColourRampInto(std::uint8_t* out, std::int32_t count, PixelTriple from,
                           PixelTriple to) {
  if (Status checked = CheckRampCount(count); !checked.ok()) return checked;
  WriteRamp(out, count, ComputeRampSteps(count, from, to), from);
  return Status::Ok();
}

}  // namespace quorvel::progressbar
