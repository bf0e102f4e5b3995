#pragma once

// ProgressBar: a self-drawn progress indicator hosted as a child control. It
// keeps an integer range and a position in it, a look (colour theme, rounded
// corners, fill direction, greyed state) and a caption with its alignment,
// effect, colours and font. It raises no events and takes no input.
//
// Change protocol. Every setter runs the same three steps, also when the new
// value equals the old one:
//   1. compute the new field value and store it (only Value, Max and Min are
//      clamped, see their setters; everything else is stored as given);
//   2. tell the host through ProgressBarHost::PropertyChanged() with the
//      property's name (property_table.h);
//   3. repaint through RedrawBar(), whose outcome is ignored.
// If the host's PropertyChanged() fails, the setter returns that failure after
// the field has been stored and skips the repaint.
//
// Repainting. RedrawBar() is the one repaint hook: every setter and Resize()
// call it. It is a protected virtual member that repaints the whole control on
// the host's drawing surface and never reports a failure; subclasses may
// override it (the tests do, to see when it runs). ThemeColours() is the
// working palette that carries over from one repaint to the next; only the
// repaint writes it, through MutableThemeColours().
//
// The caption font is an object shared by reference: TextFont() returns the
// stored object itself, and changes made through it reach the control's font
// (and the surface's, which is the same object) without any notification or
// repaint.
//
// The control lives on its host's user-interface thread and holds no locks.

#include <QFont>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>

#include "quorvel/progressbar/colour.h"
#include "quorvel/progressbar/device_context.h"
#include "quorvel/progressbar/progress_bar_host.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

inline constexpr std::size_t kThemeColourCount = 17;
using ThemeColourTable = std::array<Colour, kThemeColourCount>;

class QUORVEL_PROGRESSBAR_EXPORT ProgressBar {
 public:
  // A new control has every integer and colour 0, Enabled() false, an empty
  // Text(), no TextFont() and an all-black palette until its properties are
  // set. `host` must outlive the control.
  explicit ProgressBar(ProgressBarHost& host);
  virtual ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  // The range. From the first SetMax() on, 1 <= Max(), 0 <= Min() < Max() and
  // Min() <= Value() <= Max().
  //
  // SetValue(v): v is capped at Max(), then raised to Min() (Min wins if the
  // two bounds ever conflict).
  Status SetValue(std::int32_t value);
  std::int32_t Value() const { return value_; }
  // SetMax(m): m is raised to 1, then to Min() + 1 if it is not above Min();
  // a position above the new Max() is then moved down to it through
  // SetValue(), so the host hears "Value" before "Max".
  Status SetMax(std::int32_t max);
  std::int32_t Max() const { return max_; }
  // SetMin(n): n is lowered to Max() - 1 if it is not below Max(), then
  // raised to 0; a position below the new Min() is then moved up to it
  // through SetValue(), so the host hears "Value" before "Min".
  Status SetMin(std::int32_t min);
  std::int32_t Min() const { return min_; }

  // Width and height in pixels of the ellipse that rounds each corner of the
  // window and of its outline; 0 gives square corners.
  std::int32_t RoundedValue() const { return rounded_value_; }
  Status SetRoundedValue(std::int32_t rounded_value);

  // False gives the greyed look.
  bool Enabled() const { return enabled_; }
  Status SetEnabled(bool enabled);

  // 1 to 9: built-in palettes; 10: palette derived from PBSCustomeColor1()
  // (bar and outline) and PBSCustomeColor2() (trough); any other value keeps
  // the palette of the last repaint.
  Status SetTheme(std::int32_t theme);
  std::int32_t Theme() const { return theme_; }

  // The caption: 1 the value, 2 the percentage Value() * 100 / Max(), 3
  // Text(); any other value none.
  Status SetTextStyle(std::int32_t text_style);
  std::int32_t TextStyle() const { return text_style_; }

  // 1 fills from the left edge, 2 from the top edge downward; any other value
  // paints neither trough nor bar.
  std::int32_t Orientations() const { return orientations_; }
  Status SetOrientations(std::int32_t orientations);

  // 1 to 9: left, centre, right columns of top, middle, bottom (1 top left,
  // 5 middle centre, 9 bottom right); any other value puts the caption at
  // (0, 0).
  std::int32_t TextAlignment() const { return text_alignment_; }
  Status SetTextAlignment(std::int32_t text_alignment);

  // The caption when TextStyle() is 3; a copy either way.
  QString Text() const { return text_; }
  Status SetText(const QString& text);

  // Colour of the effect strokes behind the caption.
  Colour TextEffectColor() const { return text_effect_color_; }
  Status SetTextEffectColor(Colour colour);

  // 1 plain, 2 raised, 3 sunken, 4 outline, 5 shadow; any other value prints
  // no caption at all.
  std::int32_t TextEffect() const { return text_effect_; }
  Status SetTextEffect(std::int32_t text_effect);

  // Colour of the caption itself.
  Colour TextForeColor() const { return text_fore_color_; }
  Status SetTextForeColor(Colour colour);

  // The caption font: the shared object itself, null until first set.
  // SetTextFont() stores the reference (no copy) and makes the same object the
  // drawing surface's font before notifying.
  std::shared_ptr<QFont> TextFont() const { return text_font_; }
  Status SetTextFont(std::shared_ptr<QFont> font);

  // Base colours of the bar and outline (1) and of the trough (2) when
  // Theme() is 10.
  Colour PBSCustomeColor1() const { return pbs_custome_color1_; }
  Status SetPBSCustomeColor1(Colour colour);
  Colour PBSCustomeColor2() const { return pbs_custome_color2_; }
  Status SetPBSCustomeColor2(Colour colour);

  // The public painters; see gradient_painters.h.
  Status DrawGradientFourColour(DeviceContext& dc, std::int32_t left, std::int32_t top,
                                std::int32_t width, std::int32_t height, Colour top_left,
                                Colour top_right, Colour bottom_left, Colour bottom_right) const;
  void GradientTwoColour(DeviceContext& dc, std::uint32_t direction, Colour start, Colour end,
                         std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) const;

  // The host's notice that the control's size changed: repaints.
  void Resize();

  // The working palette: entries 0 to 7 the trough, 8 to 15 the bar, 16 the
  // outline.
  const ThemeColourTable& ThemeColours() const { return theme_colours_; }

 protected:
  // Repaints the whole control; see the top of this file.
  virtual void RedrawBar();

  ThemeColourTable& MutableThemeColours() { return theme_colours_; }
  ProgressBarHost& host() const { return host_; }

 private:
  // Steps 2 and 3 of every setter.
  Status Announce(std::string_view name);
  // All three steps of a setter that stores the value as given.
  template <typename T>
  Status Store(T& field, T value, std::string_view name) {
    field = std::move(value);
    return Announce(name);
  }

  ProgressBarHost& host_;

  std::int32_t text_style_ = 0;
  std::int32_t theme_ = 0;
  std::int32_t orientations_ = 0;
  QString text_;
  Colour text_fore_color_ = 0;
  std::int32_t text_alignment_ = 0;
  std::shared_ptr<QFont> text_font_;
  Colour text_effect_color_ = 0;
  std::int32_t text_effect_ = 0;
  std::int32_t rounded_value_ = 0;
  std::int32_t min_ = 0;
  std::int32_t value_ = 0;
  std::int32_t max_ = 0;
  bool enabled_ = false;
  ThemeColourTable theme_colours_{};
  Colour pbs_custome_color1_ = 0;
  Colour pbs_custome_color2_ = 0;
};

}  // namespace quorvel::progressbar
