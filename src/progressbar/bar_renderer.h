#pragma once

// The picture of a progress bar, rebuilt from scratch on every repaint: the
// rounded window shape, a two-band trough, a two-band fill over the completed
// share, the outline and the caption.

#include <cstdint>
#include <optional>

#include "progressbar/drawing_surface.h"
#include "progressbar/progress_bar.h"
#include "progressbar/status.h"

namespace quorvel::progressbar {

// Repaints `bar` on `surface`, step by step:
//   1. the window shape: a rectangle the size of the client area with corners
//      rounded by RoundedValue();
//   2. the percentage Value() * 100 / Max();
//   3. the fill length, the client width (the height for a vertical bar) times
//      the percentage, rounded;
//   4. the palette of Theme() into `theme_colours`;
//   5. greying of the whole palette in place when the bar is disabled;
//   6. clearing the surface;
//   7. the trough's two bands, then, for Value() >= 1, the fill's two;
//   8. the outline;
//   9. the caption chosen by TextStyle(), placed by TextAlignment().
// Every step is guarded: one that fails is abandoned and the next one runs,
// and nothing is reported. With Max() 0 (a bar whose range was never set) the
// percentage cannot be formed, so steps 2 and 3 are skipped and both stay 0.
// Rounding is to the nearest integer with halves to the even neighbour.
//
// `theme_colours` is the bar's working palette: it carries over from one
// repaint to the next, so a Theme() outside 1 to 10 keeps the last one loaded.
void RedrawBar(const ProgressBar& bar, ThemeColourTable& theme_colours, DrawingSurface& surface);

// Value() * 100 / Max() in double precision; nullopt while Max() is 0.
std::optional<double> BarPercent(const ProgressBar& bar);

// The filled length in pixels along the bar for `percent`: `width` for a
// horizontal bar, `height` for a vertical one (Orientations() 2), times
// percent / 100, rounded; nullopt when that does not fit an integer.
std::optional<std::int32_t> BarFillLength(std::int32_t orientations, double percent, float width,
                                          float height);

}  // namespace quorvel::progressbar
