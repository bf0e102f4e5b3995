#pragma once

#include <QFont>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>

#include "progressbar/image_drawing_surface.h"
#include "progressbar/progress_bar.h"
#include "progressbar/widget/progress_bar_widget.h"

namespace quorvel::progressbar {

// The state of a ProgressBarWidget: the back buffer the bar paints into, the
// ambient font, the window shape last applied, whether the bar has started,
// and the bar itself; with the helpers the widget's members share.
class ProgressBarWidgetPrivate {
 public:
  ProgressBarWidgetPrivate(ProgressBarWidget& q, QWidget* parent);

  // Sets a property of the bar, starting it first if needed. The widget's own
  // host never refuses a notice, so the setter cannot fail.
  template <typename Parameter, typename Argument>
  void Forward(Status (ProgressBar::*set)(Parameter), Argument&& value) {
    StartOnFirstUse();
    static_cast<void>((bar.*set)(std::forward<Argument>(value)));
  }
  // The typed signal, accessibility event and geometry update of `name`.
  void AnnounceTyped(std::string_view name);
  // The caption's font: the bar's, or the widget's before it has one.
  QFont CaptionFont() const;
  // Brings the back buffer to the widget's size and device pixel ratio.
  // Returns whether it changed.
  bool FitSurface();
  // Runs InitProperties() if neither it nor ReadProperties() has run.
  void StartOnFirstUse();
  void ApplyRegion(const RoundRectRegion& region, bool redraw);
  void FollowParentFont();

  ProgressBarWidget& q;
  ImageDrawingSurface surface;
  const std::shared_ptr<QFont> ambient_font;
  std::optional<RoundRectRegion> applied_region;
  bool started = false;
  // Last: the bar draws on the members above from its first setter on.
  ProgressBar bar;
};

}  // namespace quorvel::progressbar
