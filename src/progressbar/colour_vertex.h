#pragma once

#include <cstdint>

#include "progressbar/colour.h"
#include "progressbar/device_context.h"

namespace quorvel::progressbar {

// The gradient vertex of a colour at (x, y): each of the colour's three low
// bytes times 256 as a 16-bit pattern, alpha 0. GradientTwoColour()'s corners.
TriVertex ColourVertex(std::int32_t x, std::int32_t y, Colour colour);

}  // namespace quorvel::progressbar
