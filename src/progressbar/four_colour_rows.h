#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "progressbar/colour_ramp.h"

namespace quorvel::progressbar {

// Builds the scan lines of a four-colour gradient, one row ramp after another,
// all of one width; the bytes are exactly those of BuildColourRamp().
//
// Entry i of byte k of a row ramp is the half-even rounding of
// from[k] + step * i with step = SafeDivide(to[k] - from[k], width). For the
// widths it serves, all of that arithmetic is exact, so the entry equals
// from[k] + D(i) when to[k] >= from[k] and from[k] - D(i) otherwise, where D
// depends only on |to[k] - from[k]| and on whether from[k] is odd (which side
// a tie goes to; where no product ends in exactly one half, both are one
// sequence). There are at most 512 such sequences for a width, whatever the
// number of rows, so each is computed once and rows are assembled from them.
// Wider rows are computed directly.
//
// The sequences live in a per-thread store that keeps its memory from one
// painter call to the next (up to 4 MiB), so that repeated calls do not
// fault in fresh pages; nothing else carries over.
class FourColourRows {
 public:
  // 1 <= width <= kMaxRampCount.
  explicit FourColourRows(std::int32_t width);

  ~FourColourRows();
  FourColourRows(const FourColourRows&) = delete;
  FourColourRows& operator=(const FourColourRows&) = delete;

  // Writes entries 0 to width - 1 of the ramp from `from` to `to` as packed
  // triples: 3 * width bytes at `out`, which must have room for one triple
  // more (3 * (width + 1) bytes).
  void Build(PixelTriple from, PixelTriple to, std::uint8_t* out);

  // Widths up to this are assembled from the shared sequences.
  static constexpr std::int32_t kMaxSharedWidth = 8192;

 private:
  const std::uint8_t* Sequence(int magnitude, int parity);

  std::int32_t width_;
  bool shared_;
  // Where the two sequences of a magnitude (even, then odd) start in the
  // thread's sequence store, in units of two widths; -1 until first used.
  struct Slot {
    std::int16_t index = -1;
    bool odd_differs = false;
  };
  std::array<Slot, 256> slots_;
  std::int32_t slots_used_ = 0;
  std::vector<std::uint8_t> store_;
};

}  // namespace quorvel::progressbar
