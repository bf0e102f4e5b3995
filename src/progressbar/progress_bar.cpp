#include "progressbar/progress_bar.h"

#include <utility>

#include "progressbar/bar_caption.h"
#include "progressbar/bar_renderer.h"
#include "progressbar/gradient_painters.h"
#include "progressbar/progress_bar_private.h"
#include "progressbar/property_table.h"

namespace quorvel::progressbar {

namespace names = property_name;

Status ProgressBarPrivate::Announce(std::string_view name) {
  if (Status told = host.PropertyChanged(name); !told.ok()) return told;
  q.RedrawBar();
  return Status::Ok();
}

ProgressBar::ProgressBar(ProgressBarHost& host)
    : d_(std::make_unique<ProgressBarPrivate>(*this, host)) {}

ProgressBar::~ProgressBar() = default;

Status ProgressBar::SetValue(std::int32_t value) {
  if (value > d_->max) value = d_->max;
  if (value < d_->min) value = d_->min;
  return d_->Store(d_->value, value, names::kValue);
}

std::int32_t ProgressBar::Value() const { return d_->value; }

Status ProgressBar::SetMax(std::int32_t max) {
  if (max < 1) max = 1;
  if (max <= d_->min) max = d_->min + 1;
  d_->max = max;
  if (Value() > d_->max) {
    if (Status moved = SetValue(d_->max); !moved.ok()) return moved;
  }
  return d_->Announce(names::kMax);
}

std::int32_t ProgressBar::Max() const { return d_->max; }

Status ProgressBar::SetMin(std::int32_t min) {
  if (min >= Max()) min = Max() - 1;
  if (min < 0) min = 0;
  d_->min = min;
  if (Value() < d_->min) {
    if (Status moved = SetValue(d_->min); !moved.ok()) return moved;
  }
  return d_->Announce(names::kMin);
}

std::int32_t ProgressBar::Min() const { return d_->min; }

std::int32_t ProgressBar::RoundedValue() const { return d_->rounded_value; }

Status ProgressBar::SetRoundedValue(std::int32_t rounded_value) {
  return d_->Store(d_->rounded_value, rounded_value, names::kRoundedValue);
}

bool ProgressBar::Enabled() const { return d_->enabled; }

Status ProgressBar::SetEnabled(bool enabled) {
  return d_->Store(d_->enabled, enabled, names::kEnabled);
}

Status ProgressBar::SetTheme(std::int32_t theme) {
  return d_->Store(d_->theme, theme, names::kTheme);
}

std::int32_t ProgressBar::Theme() const { return d_->theme; }

Status ProgressBar::SetTextStyle(std::int32_t text_style) {
  return d_->Store(d_->text_style, text_style, names::kTextStyle);
}

std::int32_t ProgressBar::TextStyle() const { return d_->text_style; }

std::int32_t ProgressBar::Orientations() const { return d_->orientations; }

Status ProgressBar::SetOrientations(std::int32_t orientations) {
  return d_->Store(d_->orientations, orientations, names::kOrientations);
}

std::int32_t ProgressBar::TextAlignment() const { return d_->text_alignment; }

Status ProgressBar::SetTextAlignment(std::int32_t text_alignment) {
  return d_->Store(d_->text_alignment, text_alignment, names::kTextAlignment);
}

QString ProgressBar::Text() const { return d_->text; }

Status ProgressBar::SetText(const QString& text) { return d_->Store(d_->text, text, names::kText); }

Colour ProgressBar::TextEffectColor() const { return d_->text_effect_color; }

Status ProgressBar::SetTextEffectColor(Colour colour) {
  return d_->Store(d_->text_effect_color, colour, names::kTextEffectColor);
}

std::int32_t ProgressBar::TextEffect() const { return d_->text_effect; }

Status ProgressBar::SetTextEffect(std::int32_t text_effect) {
  return d_->Store(d_->text_effect, text_effect, names::kTextEffect);
}

Colour ProgressBar::TextForeColor() const { return d_->text_fore_color; }

Status ProgressBar::SetTextForeColor(Colour colour) {
  return d_->Store(d_->text_fore_color, colour, names::kTextForeColor);
}

std::shared_ptr<QFont> ProgressBar::TextFont() const { return d_->text_font; }

Status ProgressBar::SetTextFont(std::shared_ptr<QFont> font) {
  d_->text_font = std::move(font);
  d_->host.Surface().SetFont(d_->text_font);
  return d_->Announce(names::kTextFont);
}

Colour ProgressBar::PBSCustomeColor1() const { return d_->pbs_custome_color1; }

Status ProgressBar::SetPBSCustomeColor1(Colour colour) {
  return d_->Store(d_->pbs_custome_color1, colour, names::kPBSCustomeColor1);
}

Colour ProgressBar::PBSCustomeColor2() const { return d_->pbs_custome_color2; }

Status ProgressBar::SetPBSCustomeColor2(Colour colour) {
  return d_->Store(d_->pbs_custome_color2, colour, names::kPBSCustomeColor2);
}

Status ProgressBar::DrawGradientFourColour(DeviceContext& dc, std::int32_t left, std::int32_t top,
                                           std::int32_t width, std::int32_t height, Colour top_left,
                                           Colour top_right, Colour bottom_left,
                                           Colour bottom_right) const {
  return progressbar::DrawGradientFourColour(dc, left, top, width, height, top_left, top_right,
                                             bottom_left, bottom_right);
}

void ProgressBar::GradientTwoColour(DeviceContext& dc, std::uint32_t direction, Colour start,
                                    Colour end, std::int32_t left, std::int32_t top,
                                    std::int32_t right, std::int32_t bottom) const {
  progressbar::GradientTwoColour(dc, direction, start, end, left, top, right, bottom);
}

void ProgressBar::Resize() { RedrawBar(); }

QString ProgressBar::CaptionText() const {
  if (d_->text_effect < 1 || d_->text_effect > 5) return {};
  const std::optional<double> percent = BarPercent(*this);
  if (d_->text_style == 2 && !percent) return {};
  return CaptionFor(d_->text_style, d_->value, percent.value_or(0), d_->text).value_or(QString());
}

const ThemeColourTable& ProgressBar::ThemeColours() const { return d_->theme_colours; }

void ProgressBar::RedrawBar() {
  progressbar::RedrawBar(*this, d_->theme_colours, d_->host.Surface());
}

}  // namespace quorvel::progressbar
