#pragma once

// The colour ramps that the four-colour gradient interpolates with, and the
// conversions they and the gradient vertices need.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "progressbar/colour.h"
#include "progressbar/status.h"

namespace quorvel::progressbar {

// Three bytes in the order blue, green, red: the pixel order of a 24-bit
// device-independent bitmap, the reverse of a Colour's byte order.
using PixelTriple = std::array<std::uint8_t, 3>;
inline constexpr int kBlueByte = 0;
inline constexpr int kGreenByte = 1;
inline constexpr int kRedByte = 2;
static_assert(sizeof(PixelTriple) == 3);

// Entries 0 to count of a ramp.
using ColourRamp = std::vector<PixelTriple>;

// The pixel triple of a colour's three low bytes.
PixelTriple ToPixelTriple(Colour colour);

// a / b computed in double precision and stored in single precision; 0 when a
// or b is 0, so that a zero count gives a zero step instead of a division
// error. A quotient beyond single precision's range becomes an infinity.
float SafeDivide(double a, double b);

// The 16-bit pattern of v for 0..65535: values below 32768 are returned as
// they are, values from 32768 upward have 65536 subtracted. nullopt when the
// result would not fit a signed 16-bit integer (v below -32768, or 98304 and
// above).
std::optional<std::int16_t> LongToUShortBits(std::int32_t v);

// Fills `ramp` with entries 0 to count that run from `from` to `to`: for each
// byte k the step is SafeDivide(to[k] - from[k], count) in single precision,
// and entry i is step * i + from[k] formed in double precision and rounded to
// a byte, halves to the even neighbour. Entry 0 equals `from`; entry count
// equals `to` up to that rounding; with count 0 the one entry is `from`.
// A negative count fails and leaves `ramp` unchanged.
Status BuildColourRamp(ColourRamp& ramp, std::int32_t count, PixelTriple from, PixelTriple to);

// The same ramp written as count + 1 packed triples (3 * (count + 1) bytes)
// into `out`, which must have room for them; the fast form for building one
// scan line after another into a reused buffer. Entries are identical to
// BuildColourRamp()'s. A negative count fails and writes nothing.
Status BuildColourRampInto(std::uint8_t* out, std::int32_t count, PixelTriple from, PixelTriple to);

}  // namespace quorvel::progressbar
