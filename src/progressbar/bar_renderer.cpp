#include "progressbar/bar_renderer.h"

#include <array>

#include "progressbar/bar_caption.h"
#include "progressbar/gradient_painters.h"
#include "progressbar/rounding.h"
#include "progressbar/theme_palettes.h"

namespace quorvel::progressbar {

namespace {

constexpr std::int32_t kHorizontal = 1;
constexpr std::int32_t kVertical = 2;

// What one repaint works out once and the later steps read.
struct Frame {
  double percent = 0;
  std::int32_t fill_length = 0;
};

// One gradient band: its rectangle, its direction and the palette entries of
// its two ends.
struct Band {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  std::uint32_t direction;
  std::size_t start_entry;
  std::size_t end_entry;
};

Status ShapeWindow(const ProgressBar& bar, DrawingSurface& surface) {
  const std::optional<std::int32_t> width = RoundToInt32(surface.ScaleWidth());
  const std::optional<std::int32_t> height = RoundToInt32(surface.ScaleHeight());
  if (!width || !height) return Status::Failure("window size out of range");
  return surface.SetWindowRgn(
      CreateRoundRectRgn(0, 0, *width, *height, bar.RoundedValue(), bar.RoundedValue()), true);
}

Status DrawBands(const ProgressBar& bar, const ThemeColourTable& colours, std::int32_t fill_length,
                 DrawingSurface& surface) {
  const std::int32_t orientations = bar.Orientations();
  if (orientations != kHorizontal && orientations != kVertical) return Status::Ok();
  const double w = surface.ScaleWidth();
  const double h = surface.ScaleHeight();
  const std::optional<std::int32_t> width = RoundToInt32(w);
  const std::optional<std::int32_t> height = RoundToInt32(h);
  const std::optional<std::int32_t> half =
      RoundToInt32(orientations == kHorizontal ? h / 2 : w / 2);
  if (!width || !height || !half) return Status::Failure("band geometry out of range");

  namespace entry = palette_entry;
  std::array<Band, 4> bands;
  if (orientations == kHorizontal) {
    bands = {{
        {0, 0, *width, *half, kGradientFillRectV, entry::kTroughFirstStart, entry::kTroughFirstEnd},
        {0, *half, *width, *height, kGradientFillRectV, entry::kTroughSecondStart,
         entry::kTroughSecondEnd},
        {0, 0, fill_length, *half, kGradientFillRectV, entry::kFillFirstStart,
         entry::kFillFirstEnd},
        {0, *half, fill_length, *height, kGradientFillRectV, entry::kFillSecondStart,
         entry::kFillSecondEnd},
    }};
  } else {
    bands = {{
        {0, 0, *half, *height, kGradientFillRectH, entry::kTroughFirstStart,
         entry::kTroughFirstEnd},
        {*half, 0, *width, *height, kGradientFillRectH, entry::kTroughSecondStart,
         entry::kTroughSecondEnd},
        {0, 0, *half, fill_length, kGradientFillRectH, entry::kFillFirstStart,
         entry::kFillFirstEnd},
        {*half, 0, *width, fill_length, kGradientFillRectH, entry::kFillSecondStart,
         entry::kFillSecondEnd},
    }};
  }
  // The fill is there from the first step of the range on, however short it
  // rounds; the test is on the position, not on the length.
  const std::size_t band_count = bar.Value() >= 1 ? 4 : 2;
  for (std::size_t i = 0; i < band_count; ++i) {
    const Band& band = bands[i];
    GradientTwoColour(surface.Dc(), band.direction, colours[band.start_entry],
                      colours[band.end_entry], band.left, band.top, band.right, band.bottom);
  }
  return Status::Ok();
}

Status DrawOutline(const ProgressBar& bar, const ThemeColourTable& colours,
                   DrawingSurface& surface) {
  surface.SetForeColor(colours[palette_entry::kOutline]);
  const std::optional<std::int32_t> right = RoundToInt32(double{surface.ScaleWidth()} - 1);
  const std::optional<std::int32_t> bottom = RoundToInt32(double{surface.ScaleHeight()} - 1);
  if (!right || !bottom) return Status::Failure("outline out of range");
  return surface.RoundRect(0, 0, *right, *bottom, bar.RoundedValue(), bar.RoundedValue());
}

}  // namespace

std::optional<double> BarPercent(const ProgressBar& bar) {
  if (bar.Max() == 0) return std::nullopt;
  return static_cast<double>(bar.Value()) * 100.0 / static_cast<double>(bar.Max());
}

std::optional<std::int32_t> BarFillLength(std::int32_t orientations, double percent, float width,
                                          float height) {
  std::optional<std::int32_t> length = RoundToInt32(double{width} * percent / 100.0);
  if (!length) return std::nullopt;
  if (orientations == kVertical) length = RoundToInt32(double{height} * percent / 100.0);
  return length;
}

void RedrawBar(const ProgressBar& bar, ThemeColourTable& theme_colours, DrawingSurface& surface) {
  Frame frame;
  // Each step's outcome is deliberately dropped: a step that fails leaves the
  // rest of the picture to the steps after it.
  static_cast<void>(ShapeWindow(bar, surface));
  if (const std::optional<double> percent = BarPercent(bar)) {
    frame.percent = *percent;
    if (const std::optional<std::int32_t> length = BarFillLength(
            bar.Orientations(), frame.percent, surface.ScaleWidth(), surface.ScaleHeight())) {
      frame.fill_length = *length;
    }
  }
  LoadThemeColours(bar.Theme(), bar.PBSCustomeColor1(), bar.PBSCustomeColor2(), theme_colours);
  if (!bar.Enabled()) {
    for (Colour& colour : theme_colours) colour = ToGrey(colour);
  }
  surface.Cls();
  static_cast<void>(DrawBands(bar, theme_colours, frame.fill_length, surface));
  static_cast<void>(DrawOutline(bar, theme_colours, surface));
  if (const std::optional<QString> caption =
          CaptionFor(bar.TextStyle(), bar.Value(), frame.percent, bar.Text())) {
    static_cast<void>(DrawBarText(surface, bar, *caption, bar.TextAlignment()));
  }
}

}  // namespace quorvel::progressbar
