#pragma once

// Internal to the colour ramps: the exact arithmetic of one ramp entry and the
// fast loop that writes a whole ramp. Both give the same bytes.

#include <array>
#include <cstdint>

#include "progressbar/colour_ramp.h"
#include "progressbar/rounding.h"
#include "progressbar/status.h"

namespace quorvel::progressbar {

// The longest ramp built: beyond it the entries would not fit in memory in any
// sensible use, and the request fails like an allocation that fails.
inline constexpr std::int32_t kMaxRampCount = (1 << 24) - 1;

inline Status CheckRampCount(std::int32_t count) {
  if (count < 0) return Status::Failure("colour ramp: negative count");
  if (count > kMaxRampCount) return Status::Failure("colour ramp: count too large");
  return Status::Ok();
}

// The single-precision step of each byte of a triple.
using RampSteps = std::array<float, 3>;

inline RampSteps ComputeRampSteps(std::int32_t count, PixelTriple from, PixelTriple to) {
  RampSteps steps{};
  for (int k = 0; k < 3; ++k) {
    const auto difference = static_cast<std::int16_t>(to[k] - from[k]);
    steps[k] = SafeDivide(difference, count);
  }
  return steps;
}

// Entry i of one byte: the product is formed in double precision from the
// single-precision step, then the start is added (two roundings, never fused),
// then it is rounded to a byte with halves to the even neighbour. The result
// always lies between the two ends, so it fits a byte.
inline std::uint8_t RampByte(float step, std::int32_t i, std::uint8_t from) {
  const double product = static_cast<double>(step) * i;
  const double value = product + from;
  return static_cast<std::uint8_t>(RoundHalfEven(value));
}

// Writes entries 0 to count as packed triples.
void WriteRamp(std::uint8_t* out, std::int32_t count, const RampSteps& steps, PixelTriple from);

}  // namespace quorvel::progressbar
