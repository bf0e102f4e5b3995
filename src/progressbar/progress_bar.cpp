#include "progressbar/progress_bar.h"

#include <utility>

#include "progressbar/bar_renderer.h"
#include "progressbar/gradient_painters.h"
#include "progressbar/property_table.h"

namespace quorvel::progressbar {

namespace names = property_name;

ProgressBar::ProgressBar(ProgressBarHost& host) : host_(host) {}

ProgressBar::~ProgressBar() = default;

Status ProgressBar::Announce(std::string_view name) {
  if (Status told = host_.PropertyChanged(name); !told.ok()) return told;
  RedrawBar();
  return Status::Ok();
}

Status ProgressBar::SetValue(std::int32_t value) {
  if (value > max_) value = max_;
  if (value < min_) value = min_;
  return Store(value_, value, names::kValue);
}

Status ProgressBar::SetMax(std::int32_t max) {
  if (max < 1) max = 1;
  if (max <= min_) max = min_ + 1;
  max_ = max;
  if (Value() > max_) {
    if (Status moved = SetValue(max_); !moved.ok()) return moved;
  }
  return Announce(names::kMax);
}

Status ProgressBar::SetMin(std::int32_t min) {
  if (min >= Max()) min = Max() - 1;
  if (min < 0) min = 0;
  min_ = min;
  if (Value() < min_) {
    if (Status moved = SetValue(min_); !moved.ok()) return moved;
  }
  return Announce(names::kMin);
}

Status ProgressBar::SetRoundedValue(std::int32_t rounded_value) {
  return Store(rounded_value_, rounded_value, names::kRoundedValue);
}

Status ProgressBar::SetEnabled(bool enabled) { return Store(enabled_, enabled, names::kEnabled); }

Status ProgressBar::SetTheme(std::int32_t theme) { return Store(theme_, theme, names::kTheme); }

Status ProgressBar::SetTextStyle(std::int32_t text_style) {
  return Store(text_style_, text_style, names::kTextStyle);
}

Status ProgressBar::SetOrientations(std::int32_t orientations) {
  return Store(orientations_, orientations, names::kOrientations);
}

Status ProgressBar::SetTextAlignment(std::int32_t text_alignment) {
  return Store(text_alignment_, text_alignment, names::kTextAlignment);
}

Status ProgressBar::SetText(const QString& text) { return Store(text_, text, names::kText); }

Status ProgressBar::SetTextEffectColor(Colour colour) {
  return Store(text_effect_color_, colour, names::kTextEffectColor);
}

Status ProgressBar::SetTextEffect(std::int32_t text_effect) {
  return Store(text_effect_, text_effect, names::kTextEffect);
}

Status ProgressBar::SetTextForeColor(Colour colour) {
  return Store(text_fore_color_, colour, names::kTextForeColor);
}

Status ProgressBar::SetTextFont(std::shared_ptr<QFont> font) {
  text_font_ = std::move(font);
  host_.Surface().SetFont(text_font_);
  return Announce(names::kTextFont);
}

Status ProgressBar::SetPBSCustomeColor1(Colour colour) {
  return Store(pbs_custome_color1_, colour, names::kPBSCustomeColor1);
}

Status ProgressBar::SetPBSCustomeColor2(Colour colour) {
  return Store(pbs_custome_color2_, colour, names::kPBSCustomeColor2);
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

void ProgressBar::RedrawBar() {
  progressbar::RedrawBar(*this, MutableThemeColours(), host().Surface());
}

}  // namespace quorvel::progressbar
