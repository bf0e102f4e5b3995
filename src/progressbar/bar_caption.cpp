#include "progressbar/bar_caption.h"

#include <QLocale>
#include <array>
#include <charconv>
#include <span>

#include "progressbar/progress_bar.h"
#include "progressbar/rounding.h"

namespace quorvel::progressbar {

namespace {

constexpr int kSignificantDigits = 15;

enum class StrokeColour { kText, kEffect, kGrey };

struct Stroke {
  StrokeColour colour;
  int dx;
  int dy;
};

// The prints of each effect in order; the caption itself comes last.
constexpr std::array<Stroke, 1> kPlain{{{StrokeColour::kText, 0, 0}}};
constexpr std::array<Stroke, 3> kRaised{
    {{StrokeColour::kEffect, -1, -1}, {StrokeColour::kGrey, 1, 1}, {StrokeColour::kText, 0, 0}}};
// The grey stroke of the sunken look sits on the caption's own row.
constexpr std::array<Stroke, 3> kSunken{
    {{StrokeColour::kEffect, 1, 1}, {StrokeColour::kGrey, -1, 0}, {StrokeColour::kText, 0, 0}}};
constexpr std::array<Stroke, 5> kOutline{{{StrokeColour::kEffect, 1, 0},
                                          {StrokeColour::kEffect, -1, 0},
                                          {StrokeColour::kEffect, 0, -1},
                                          {StrokeColour::kEffect, 0, 1},
                                          {StrokeColour::kText, 0, 0}}};
constexpr std::array<Stroke, 2> kShadow{
    {{StrokeColour::kEffect, 1, 1}, {StrokeColour::kText, 0, 0}}};

std::span<const Stroke> StrokesOf(std::int32_t effect) {
  switch (effect) {
    case 1:
      return kPlain;
    case 2:
      return kRaised;
    case 3:
      return kSunken;
    case 4:
      return kOutline;
    case 5:
      return kShadow;
    default:
      return {};
  }
}

struct Position {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The caption's top-left corner for `alignment`, each coordinate worked out in
// floating point and then rounded.
std::optional<Position> PositionFor(std::int32_t alignment, double width, double height,
                                    double text_width, double text_height) {
  if (alignment < 1 || alignment > 9) return Position{};
  const int column = (alignment - 1) / 3;  // left, centre, right
  const int row = (alignment - 1) % 3;     // top, middle, bottom
  const double x = column == 0   ? 1.0
                   : column == 1 ? width / 2 - text_width / 2 - 1
                                 : width - text_width - 3;
  const double y = row == 0   ? 0.0
                   : row == 1 ? height / 2 - text_height / 2 - 1
                              : height - text_height - 1;
  const std::optional<std::int32_t> rounded_x = RoundToInt32(x);
  const std::optional<std::int32_t> rounded_y = RoundToInt32(y);
  if (!rounded_x || !rounded_y) return std::nullopt;
  return Position{*rounded_x, *rounded_y};
}

}  // namespace

QString GeneralNumber(double value) {
  char buffer[64];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                                    std::chars_format::general, kSignificantDigits);
  if (result.ec != std::errc()) return {};
  QString text = QString::fromLatin1(buffer, static_cast<int>(result.ptr - buffer));
  // The exponent is written with a capital E and at least two digits.
  const qsizetype e = text.indexOf(QLatin1Char('e'));
  if (e >= 0) text[e] = QLatin1Char('E');
  // The reader's own decimal separator; QLocale() is the user's locale unless
  // the host chose another with QLocale::setDefault().
  const qsizetype point = text.indexOf(QLatin1Char('.'));
  if (point >= 0) text.replace(point, 1, QLocale().decimalPoint());
  return text;
}

std::optional<QString> CaptionFor(std::int32_t text_style, std::int32_t value, double percent,
                                  const QString& text) {
  switch (text_style) {
    case 1:
      return QString::number(value);
    case 2:
      return GeneralNumber(percent) + QLatin1Char('%');
    case 3:
      return text;
    default:
      return std::nullopt;
  }
}

Status DrawBarText(DrawingSurface& surface, const ProgressBar& bar, const QString& text,
                   std::int32_t alignment) {
  const bool enabled = bar.Enabled();
  const Colour text_colour = enabled ? bar.TextForeColor() : ToGrey(bar.TextForeColor());
  const Colour effect_colour = enabled ? bar.TextEffectColor() : ToGrey(bar.TextEffectColor());
  surface.SetForeColor(text_colour);

  const std::optional<Position> at =
      PositionFor(alignment, surface.ScaleWidth(), surface.ScaleHeight(), surface.TextWidth(text),
                  surface.TextHeight(text));
  if (!at) return Status::Failure("caption position out of range");

  for (const Stroke& stroke : StrokesOf(bar.TextEffect())) {
    switch (stroke.colour) {
      case StrokeColour::kText:
        surface.SetForeColor(text_colour);
        break;
      case StrokeColour::kEffect:
        surface.SetForeColor(effect_colour);
        break;
      case StrokeColour::kGrey:
        surface.SetForeColor(kEffectGrey);
        break;
    }
    surface.SetCurrentX(static_cast<float>(static_cast<std::int64_t>(at->x) + stroke.dx));
    surface.SetCurrentY(static_cast<float>(static_cast<std::int64_t>(at->y) + stroke.dy));
    if (Status printed = surface.Print(text); !printed.ok()) return printed;
  }
  return Status::Ok();
}

}  // namespace quorvel::progressbar
