#pragma once

#include <cstdint>
#include <optional>

namespace quorvel::progressbar {

// Every conversion from floating point to an integer in the control rounds to
// the nearest integer and sends halves to the even neighbour (2.5 -> 2,
// 3.5 -> 4, -2.5 -> -2), independent of the floating-point environment.
double RoundHalfEven(double x);

// RoundHalfEven() into a 32-bit integer; nullopt when the rounded value does
// not fit or x is not a number (the conversion would overflow).
std::optional<std::int32_t> RoundToInt32(double x);

}  // namespace quorvel::progressbar
