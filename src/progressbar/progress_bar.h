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
// override it (the tests do, to see when it runs) and call this class's own to
// paint. ThemeColours() is the working palette that carries over from one
// repaint to the next; only the repaint writes it.
//
// Binary interface. The class keeps all its state behind one pointer to a
// private object, so fields can come and go without changing its size or
// layout; see docs/progressbar.md on how the library keeps its ABI.
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

#include "quorvel/progressbar/colour.h"
#include "quorvel/progressbar/device_context.h"
#include "quorvel/progressbar/progress_bar_host.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

class ProgressBarPrivate;

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
  std::int32_t Value() const;
  // SetMax(m): m is raised to 1, then to Min() + 1 if it is not above Min();
  // a position above the new Max() is then moved down to it through
  // SetValue(), so the host hears "Value" before "Max".
  Status SetMax(std::int32_t max);
  std::int32_t Max() const;
  // SetMin(n): n is lowered to Max() - 1 if it is not below Max(), then
  // raised to 0; a position below the new Min() is then moved up to it
  // through SetValue(), so the host hears "Value" before "Min".
  Status SetMin(std::int32_t min);
  std::int32_t Min() const;

  // Width and height in pixels of the ellipse that rounds each corner of the
  // window and of its outline; 0 gives square corners.
  std::int32_t RoundedValue() const;
  Status SetRoundedValue(std::int32_t rounded_value);

  // False gives the greyed look.
  bool Enabled() const;
  Status SetEnabled(bool enabled);

  // 1 to 9: built-in palettes; 10: palette derived from PBSCustomeColor1()
  // (bar and outline) and PBSCustomeColor2() (trough); any other value keeps
  // the palette of the last repaint.
  Status SetTheme(std::int32_t theme);
  std::int32_t Theme() const;

  // The caption: 1 the value, 2 the percentage Value() * 100 / Max(), 3
  // Text(); any other value none.
  Status SetTextStyle(std::int32_t text_style);
  std::int32_t TextStyle() const;

  // 1 fills from the left edge, 2 from the top edge downward; any other value
  // paints neither trough nor bar.
  std::int32_t Orientations() const;
  Status SetOrientations(std::int32_t orientations);

  // 1 to 9: left, centre, right columns of top, middle, bottom (1 top left,
  // 5 middle centre, 9 bottom right); any other value puts the caption at
  // (0, 0).
  std::int32_t TextAlignment() const;
  Status SetTextAlignment(std::int32_t text_alignment);

  // The caption when TextStyle() is 3; a copy either way.
  QString Text() const;
  Status SetText(const QString& text);

  // Colour of the effect strokes behind the caption.
  Colour TextEffectColor() const;
  Status SetTextEffectColor(Colour colour);

  // 1 plain, 2 raised, 3 sunken, 4 outline, 5 shadow; any other value prints
  // no caption at all.
  std::int32_t TextEffect() const;
  Status SetTextEffect(std::int32_t text_effect);

  // Colour of the caption itself.
  Colour TextForeColor() const;
  Status SetTextForeColor(Colour colour);

  // The caption font: the shared object itself, null until first set.
  // SetTextFont() stores the reference (no copy) and makes the same object the
  // drawing surface's font before notifying.
  std::shared_ptr<QFont> TextFont() const;
  Status SetTextFont(std::shared_ptr<QFont> font);

  // Base colours of the bar and outline (1) and of the trough (2) when
  // Theme() is 10.
  Colour PBSCustomeColor1() const;
  Status SetPBSCustomeColor1(Colour colour);
  Colour PBSCustomeColor2() const;
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

  // The caption as a repaint prints it now: the text TextStyle() selects (the
  // value, the percentage or Text()), empty when none is printed (an unknown
  // style or effect, or a percentage while Max() is 0). What a host shows
  // screen readers as the bar's name.
  QString CaptionText() const;

  // The working palette: entries 0 to 7 the trough, 8 to 15 the bar, 16 the
  // outline.
  const ThemeColourTable& ThemeColours() const;

 protected:
  // Repaints the whole control; see the top of this file.
  virtual void RedrawBar();

 private:
  friend class ProgressBarPrivate;
  const std::unique_ptr<ProgressBarPrivate> d_;
};

}  // namespace quorvel::progressbar
