#pragma once

// Colour arithmetic of the progress bar: channel extraction and the grey and
// lightening conversions of its palettes.

#include <cstdint>

#include "quorvel/progressbar/progressbar_export.h"

namespace quorvel::progressbar {

// A colour value laid out as 0x00BBGGRR: red in the lowest byte, then green,
// then blue. A top byte other than 0 (a system colour reference) is kept as
// it is; every function here looks at the three low bytes only.
using Colour = std::uint32_t;

constexpr Colour Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<Colour>(red) + 256u * green + 65536u * blue;
}

// The channels of a colour, 0 to 255.
QUORVEL_PROGRESSBAR_EXPORT int GetRed(Colour colour);
QUORVEL_PROGRESSBAR_EXPORT int GetGreen(Colour colour);
QUORVEL_PROGRESSBAR_EXPORT int GetBlue(Colour colour);

// The grey of the same brightness: each channel becomes the rounded mean
// (red + green + blue) / 3. The top byte of the result is 0.
QUORVEL_PROGRESSBAR_EXPORT Colour ToGrey(Colour colour);

// Adds `amount` to every channel; a channel becomes |channel + amount|, capped
// at 255. Positive amounts lighten; a negative one reflects at zero instead of
// clamping (20 with -50 gives 30). Any amount is accepted. The top byte of the
// result is 0.
QUORVEL_PROGRESSBAR_EXPORT Colour ShiftColour(Colour colour, std::int32_t amount);

}  // namespace quorvel::progressbar
