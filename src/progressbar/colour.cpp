#include "progressbar/colour.h"

#include <algorithm>
#include <cstdlib>

#include "progressbar/rounding.h"

namespace quorvel::progressbar {

int GetRed(Colour colour) { return static_cast<int>(colour & 0xFFu); }
int GetGreen(Colour colour) { return static_cast<int>((colour & 0xFF00u) >> 8); }
int GetBlue(Colour colour) { return static_cast<int>((colour & 0xFF0000u) >> 16); }

Colour ToGrey(Colour colour) {
  const int sum = GetRed(colour) + GetGreen(colour) + GetBlue(colour);
  const auto grey = static_cast<std::uint8_t>(RoundHalfEven(sum / 3.0));
  return Rgb(grey, grey, grey);
}

namespace {

std::uint8_t Shifted(int channel, std::int32_t amount) {
  // Wide enough that no amount overflows.
  const std::int64_t shifted = std::llabs(static_cast<std::int64_t>(channel) + amount);
  return static_cast<std::uint8_t>(std::min<std::int64_t>(shifted, 255));
}

}  // namespace

Colour ShiftColour(Colour colour, std::int32_t amount) {
  return Rgb(Shifted(GetRed(colour), amount), Shifted(GetGreen(colour), amount),
             Shifted(GetBlue(colour), amount));
}

}  // namespace quorvel::progressbar
