#pragma once

namespace quorvel::shell {

// Window designs are measured in twips, fifteen to a pixel at the screen
// resolution the windows were drawn for (96 dots an inch, 1440 twips).
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDesignDotsPerInch = 96;

// Nearest pixel at `dots_per_inch`; a negative position rounds the same way
// as a positive one.
constexpr int TwipsToPixels(int twips, int dots_per_inch = kDesignDotsPerInch) {
  const long long scaled = static_cast<long long>(twips < 0 ? -twips : twips) * dots_per_inch;
  const int pixels = static_cast<int>((scaled + kTwipsPerInch / 2) / kTwipsPerInch);
  return twips < 0 ? -pixels : pixels;
}

// A control's rectangle in twips, relative to its container.
struct TwipsRect {
  int left;
  int top;
  int width;
  int height;
};

}  // namespace quorvel::shell
