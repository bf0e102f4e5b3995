#pragma once

#include <string>
#include <vector>

#include "progressbar/progress_bar_host.h"
#include "recording_surface.h"

namespace quorvel::progressbar::testing {

// A host that keeps one log of what the control did: "PropertyChanged Name"
// for each notification, and the surface's lines (see RecordingSurface) in
// between, in the order they happened.
class RecordingHost final : public ProgressBarHost {
 public:
  RecordingHost() : surface(&log) {}

  Status PropertyChanged(std::string_view name) override;
  QString DisplayName() const override { return display_name; }
  std::shared_ptr<QFont> Font() const override { return ambient_font; }
  DrawingSurface& Surface() override { return surface; }

  // The names notified so far, without the surface's lines.
  std::vector<std::string> Notifications() const;

  std::vector<std::string> log;
  QString display_name = "ProgressBar1";
  std::shared_ptr<QFont> ambient_font = std::make_shared<QFont>();
  // PropertyChanged fails for this name ("*" for every name), after logging.
  std::string fail_for;
  RecordingSurface surface;
};

}  // namespace quorvel::progressbar::testing
