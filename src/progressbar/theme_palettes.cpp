#include "progressbar/theme_palettes.h"

#include <array>

namespace quorvel::progressbar {

namespace {

// One palette as its nine distinct values: the trough's four, the bar's four
// and the outline, in entry order 0, 2, 4, ..., 16.
using PaletteValues = std::array<Colour, 9>;

// Themes 1 to 9, each palette as 0xRRGGBB values.
constexpr std::array<std::array<std::uint32_t, 9>, 9> kBuiltInPalettes{{
    // Gold.
    {0xF8F6F2, 0xE9E3D3, 0xE2D7B6, 0xEFE9D7, 0xFBF4DF, 0xEFD585, 0xCBA639, 0xEDE0BB, 0xCCA83E},
    // Lime.
    {0xF7F8F2, 0xE7E9D3, 0xDEE2B6, 0xEDEFD7, 0xF9FBDF, 0xE6EF85, 0xBECB39, 0xE9EDBB, 0xC0CC3E},
    // Green.
    {0xF2F8F3, 0xD3E9D5, 0xB6E2BA, 0xD7EFD9, 0xDFFBE1, 0x85EF8E, 0x39CB46, 0xBBEDBF, 0x3ECC4A},
    // Teal.
    {0xF2F8F7, 0xD3E9E7, 0xB6E2DE, 0xD7EFED, 0xDFFBF9, 0x85EFE6, 0x39CBBE, 0xBBEDE9, 0x3ECCC0},
    // Blue-violet.
    {0xF3F2F8, 0xD5D3E9, 0xBAB6E2, 0xD9D7EF, 0xE1DFFB, 0x8E85EF, 0x4639CB, 0xBFBBED, 0x4A3ECC},
    // Magenta.
    {0xF8F2F7, 0xE9D3E7, 0xE2B6DE, 0xEFD7ED, 0xFBDFF9, 0xEF85E6, 0xCB39BE, 0xEDBBE9, 0xCC3EC0},
    // Red.
    {0xF8F2F2, 0xE9D3D3, 0xE2B6B6, 0xEFD7D7, 0xFBDFDF, 0xEF8585, 0xCB3939, 0xEDBBBB, 0xCC3E3E},
    // Sky blue.
    {0xFAFDFE, 0xE4F3FC, 0xC7E6F9, 0xEDF7FD, 0xE1F7FF, 0x43D0FF, 0x3F70E9, 0x3FE2F6, 0x178BD3},
    // Bright green on grey.
    {0xE7F3E8, 0xE1DBE1, 0xB3BDB3, 0xE2EEE2, 0xDFFBDF, 0x6CFF6C, 0x1AE41A, 0xD9F4D9, 0xBCB8BC},
}};

// The lightening of each custom entry: the trough's four from custom colour 2,
// then the bar's four and the outline from custom colour 1 (0: the colour as
// it is).
constexpr std::array<std::int32_t, 9> kCustomShifts{180, 50, 0, 80, 180, 50, 0, 80, 0};

void Store(const PaletteValues& values, ThemeColourTable& colours) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    colours[2 * i] = values[i];
    if (2 * i + 1 < colours.size()) colours[2 * i + 1] = values[i];
  }
}

}  // namespace

void LoadThemeColours(std::int32_t theme, Colour custom1, Colour custom2,
                      ThemeColourTable& colours) {
  PaletteValues values{};
  if (theme >= kFirstBuiltInTheme && theme <= kLastBuiltInTheme) {
    const auto& rrggbb = kBuiltInPalettes[static_cast<std::size_t>(theme - kFirstBuiltInTheme)];
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = FromRrggbb(rrggbb[i]);
  } else if (theme == kCustomTheme) {
    for (std::size_t i = 0; i < values.size(); ++i) {
      const Colour base = i < 4 ? custom2 : custom1;
      values[i] = kCustomShifts[i] == 0 ? base : ShiftColour(base, kCustomShifts[i]);
    }
  } else {
    return;
  }
  Store(values, colours);
}

}  // namespace quorvel::progressbar
