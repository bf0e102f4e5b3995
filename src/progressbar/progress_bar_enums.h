#pragma once

// Names for the integer options of the progress bar, for C++ callers. The
// properties themselves stay plain integers: any other value is stored as
// given and drawn as its property describes (no bands, no caption, the caption
// at (0, 0), the palette kept), so these enums name the meaningful values only.

namespace quorvel::progressbar {

// Orientations: the direction of the fill.
enum class Orientation : int {
  kHorizontal = 1,  // grows from the left edge
  kVertical = 2,    // grows from the top edge downward
};

// TextStyle: what the caption says.
enum class TextStyle : int {
  kNone = 0,
  kValue = 1,       // the position as a decimal integer
  kPercentage = 2,  // Value * 100 / Max followed by "%"
  kText = 3,        // the Text property
};

// TextEffect: the strokes printed before the caption itself.
enum class TextEffect : int {
  kNothing = 0,  // not even the caption is printed
  kPlain = 1,
  kRaised = 2,
  kSunken = 3,
  kOutline = 4,
  kShadow = 5,
};

// TextAlignment: left, centre and right columns of top, middle and bottom.
enum class TextAlignment : int {
  kTopLeft = 1,
  kMiddleLeft = 2,
  kBottomLeft = 3,
  kTopCentre = 4,
  kMiddleCentre = 5,
  kBottomCentre = 6,
  kTopRight = 7,
  kMiddleRight = 8,
  kBottomRight = 9,
};

// Theme: nine built-in palettes and one made from the two custom colours.
enum class Theme : int {
  kGold = 1,
  kLime = 2,
  kGreen = 3,
  kTeal = 4,
  kBlueViolet = 5,
  kMagenta = 6,
  kRed = 7,
  kSkyBlue = 8,
  kGreenOnGrey = 9,
  kCustom = 10,
};

}  // namespace quorvel::progressbar
