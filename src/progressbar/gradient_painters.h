#pragma once

// The progress bar's two public gradient painters. They keep no state between
// calls and draw on whatever device context they are given.

#include <cstdint>

#include "quorvel/progressbar/colour.h"
#include "quorvel/progressbar/device_context.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// Fills the rectangle left, top, right, bottom (right and bottom are
// coordinates, exclusive) with a linear gradient from `start` to `end` through
// one GradientFill() call with `direction` as its mode: kGradientFillRectH (0)
// runs left to right, kGradientFillRectV (1) top to bottom. The device does
// the per-pixel work; whether it succeeds is not examined, so an empty
// rectangle or an unknown direction simply paints nothing.
QUORVEL_PROGRESSBAR_EXPORT void GradientTwoColour(DeviceContext& dc, std::uint32_t direction,
                                                  Colour start, Colour end, std::int32_t left,
                                                  std::int32_t top, std::int32_t right,
                                                  std::int32_t bottom);

// Paints the width x height rectangle at (left, top) whose corners have their
// own colours, interpolating in both directions: a column ramp of height + 1
// entries down each side, then for row r a ramp of width + 1 entries from the
// left ramp's entry r to the right ramp's, sent to the device as one 24-bit
// scan line with SetDIBitsToDevice(), top row first. The last entries of the
// ramps are never painted, so the bottom row and the right column stop one
// step short of the bottom and right corner colours.
//
// Needs width >= 1 and height >= 0; otherwise fails and paints nothing. A
// height of 0 paints nothing and succeeds. Failures of the device are not
// examined.
QUORVEL_PROGRESSBAR_EXPORT Status DrawGradientFourColour(DeviceContext& dc, std::int32_t left,
                                                         std::int32_t top, std::int32_t width,
                                                         std::int32_t height, Colour top_left,
                                                         Colour top_right, Colour bottom_left,
                                                         Colour bottom_right);

}  // namespace quorvel::progressbar
