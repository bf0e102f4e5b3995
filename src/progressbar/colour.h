#pragma once

// Colour arithmetic of the progress bar: channel extraction, the grey and
// lightening conversions of its palettes, and the colour ramps that the
// four-colour gradient interpolates with.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// A colour value laid out as 0x00BBGGRR: red in the lowest byte, then green,
// then blue. A top byte other than 0 (a system colour reference) is kept as
// it is; every function here looks at the three low bytes only.
using Colour = std::uint32_t;

constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<Colour>(red) + 256u * green + 65536u * blue;
}

// Three bytes in the order blue, green, red: the pixel order of a 24-bit
// device-independent bitmap, the reverse of a Colour's byte order.
using PixelTriple = std::array<std::uint8_t, 3>;
inline constexpr int kBlueByte = 0;
inline constexpr int kGreenByte = 1;
inline constexpr int kRedByte = 2;
static_assert(sizeof(PixelTriple) == 3);

// Entries 0 to count of a ramp.
using ColourRamp = std::vector<PixelTriple>;

// The channels of a colour, 0 to 255.
QUORVEL_PROGRESSBAR_EXPORT int GetRed(Colour colour);
QUORVEL_PROGRESSBAR_EXPORT int GetGreen(Colour colour);
QUORVEL_PROGRESSBAR_EXPORT int GetBlue(Colour colour);

// The pixel triple of a colour's three low bytes.
QUORVEL_PROGRESSBAR_INTERNAL PixelTriple ToPixelTriple(Colour colour);

// The grey of the same brightness: each channel becomes the rounded mean
// (red + green + blue) / 3. The top byte of the result is 0.
QUORVEL_PROGRESSBAR_EXPORT Colour ToGrey(Colour colour);

// Adds `amount` to every channel; a channel becomes |channel + amount|, capped
// at 255. Positive amounts lighten; a negative one reflects at zero instead of
// clamping (20 with -50 gives 30). Any amount is accepted. The top byte of the
// result is 0.
QUORVEL_PROGRESSBAR_EXPORT Colour ShiftColour(Colour colour, std::int32_t amount);

// a / b computed in double precision and stored in single precision; 0 when a
// or b is 0, so that a zero count gives a zero step instead of a division
// error. A quotient beyond single precision's range becomes an infinity.
QUORVEL_PROGRESSBAR_INTERNAL float SafeDivide(double a, double b);

// The 16-bit pattern of v for 0..65535: values below 32768 are returned as
// they are, values from 32768 upward have 65536 subtracted. nullopt when the
// result would not fit a signed 16-bit integer (v below -32768, or 98304 and
// above).
QUORVEL_PROGRESSBAR_INTERNAL std::optional<std::int16_t> LongToUShortBits(std::int32_t v);

// Fills `ramp` with entries 0 to count that run from `from` to `to`: for each
// byte k the step is SafeDivide(to[k] - from[k], count) in single precision,
// and entry i is step * i + from[k] formed in double precision and rounded to
// a byte, halves to the even neighbour. Entry 0 equals `from`; entry count
// equals `to` up to that rounding; with count 0 the one entry is `from`.
// A negative count fails and leaves `ramp` unchanged.
QUORVEL_PROGRESSBAR_INTERNAL Status BuildColourRamp(ColourRamp& ramp, std::int32_t count,
                                                    PixelTriple from, PixelTriple to);

// The same ramp written as count + 1 packed triples (3 * (count + 1) bytes)
// into `out`, which must have room for them; the fast form for building one
// scan line after another into a reused buffer. Entries are identical to
// BuildColourRamp()'s. A negative count fails and writes nothing.
QUORVEL_PROGRESSBAR_INTERNAL Status BuildColourRampInto(std::uint8_t* out, std::int32_t count,
                                                        PixelTriple from, PixelTriple to);

}  // namespace quorvel::progressbar
