#pragma once

#include <cstdint>

#include "progressbar/gradient_painters.h"

namespace quorvel::progressbar::testing {

// One named call of GradientTwoColour(), a row of the painters' tables.
struct TwoColourCall {
  const char* name;
  std::uint32_t direction;
  Colour start;
  Colour end;
  std::int32_t left, top, right, bottom;

  void DrawOn(DeviceContext& dc) const {
    GradientTwoColour(dc, direction, start, end, left, top, right, bottom);
  }
};

}  // namespace quorvel::progressbar::testing
