#pragma once

// The caption printed over the bar: what it says (by text style) and how it is
// printed (alignment, effect, colours).

#include <QString>
#include <cstdint>
#include <optional>

#include "progressbar/colour.h"
#include "progressbar/drawing_surface.h"
#include "progressbar/status.h"

namespace quorvel::progressbar {

class ProgressBar;

// The fixed grey of the raised and sunken effects' second stroke.
inline constexpr Colour kEffectGrey = Rgb(128, 128, 128);

// `value` in the general number format: up to 15 significant digits, no
// trailing zeros, no exponent unless the number is very large or very small
// ("50", "33.3333333333333", "5E-08"), with the decimal separator of QLocale()
// (the user's locale unless the host set another default).
QString GeneralNumber(double value);

// What the caption says for `text_style`: 1 the value, 2 the percentage in the
// general number format followed by "%", 3 `text`; nullopt (no caption) for
// any other style.
std::optional<QString> CaptionFor(std::int32_t text_style, std::int32_t value, double percent,
                                  const QString& text);

// Prints `text` on `surface` at the place `alignment` selects (1 to 9: left,
// centre and right columns of top, middle and bottom; anything else the
// top-left corner (0, 0)), with the effect strokes of `bar`.TextEffect()
// before the caption itself, in the colours of `bar` (greyed when it is
// disabled). Nothing at all is printed for an unknown effect. Afterwards the
// surface's fore colour is the caption's colour.
//
// The first failure (a position that does not fit an integer, a print the
// surface refuses) ends the procedure and is returned.
Status DrawBarText(DrawingSurface& surface, const ProgressBar& bar, const QString& text,
                   std::int32_t alignment);

}  // namespace quorvel::progressbar
