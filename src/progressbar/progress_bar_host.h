#pragma once

#include <QFont>
#include <QString>
#include <memory>
#include <string_view>

#include "quorvel/progressbar/drawing_surface.h"
#include "quorvel/progressbar/progressbar_export.h"
#include "quorvel/progressbar/status.h"

namespace quorvel::progressbar {

// What a progress bar needs of the window that hosts it. The host outlives
// the control.
class QUORVEL_PROGRESSBAR_EXPORT ProgressBarHost {
 public:
  virtual ~ProgressBarHost() = default;

  // Tells the host that the named property changed, so that its saved state is
  // stale. `name` is one of the property names (see property_table.h),
  // which are also the keys of the saved state. A failure is passed on by the
  // setter that called.
  virtual Status PropertyChanged(std::string_view name) = 0;

  // The container's name for this control instance.
  virtual QString DisplayName() const = 0;

  // The container's font object itself (shared, not a copy).
  virtual std::shared_ptr<QFont> Font() const = 0;

  // The window the control draws on.
  virtual DrawingSurface& Surface() = 0;
};

}  // namespace quorvel::progressbar
