#pragma once

// The palettes of the colour themes: the nine built-in ones and the one made
// from the two custom colours.

#include <cstdint>

#include "progressbar/colour.h"
#include "progressbar/progress_bar.h"

namespace quorvel::progressbar {

// Where each role sits in the working palette. Each odd entry repeats the even
// one before it; the drawing code reads the even ones only.
namespace palette_entry {
inline constexpr std::size_t kTroughFirstStart = 0;   // outer edge
inline constexpr std::size_t kTroughFirstEnd = 2;     // centre line
inline constexpr std::size_t kTroughSecondStart = 4;  // centre line
inline constexpr std::size_t kTroughSecondEnd = 6;    // outer edge
inline constexpr std::size_t kFillFirstStart = 8;
inline constexpr std::size_t kFillFirstEnd = 10;
inline constexpr std::size_t kFillSecondStart = 12;
inline constexpr std::size_t kFillSecondEnd = 14;
inline constexpr std::size_t kOutline = 16;
}  // namespace palette_entry

inline constexpr std::int32_t kFirstBuiltInTheme = 1;
inline constexpr std::int32_t kLastBuiltInTheme = 9;
inline constexpr std::int32_t kCustomTheme = 10;

// A colour written the way designers write it, 0xRRGGBB, as a Colour
// (0x00BBGGRR).
constexpr Colour FromRrggbb(std::uint32_t rrggbb) {
  return Rgb(static_cast<std::uint8_t>(rrggbb >> 16), static_cast<std::uint8_t>(rrggbb >> 8),
             static_cast<std::uint8_t>(rrggbb));
}

// Fills `colours` for `theme`: 1 to 9 the built-in palettes; 10 the trough
// (entries 0 to 7) lightened from `custom2` and the bar and outline (8 to 16)
// from `custom1`. Any other theme leaves `colours` exactly as it was, so the
// last palette loaded (greyed or not) stays.
void LoadThemeColours(std::int32_t theme, Colour custom1, Colour custom2,
                      ThemeColourTable& colours);

}  // namespace quorvel::progressbar
