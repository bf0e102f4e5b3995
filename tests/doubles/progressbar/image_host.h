#pragma once

#include <QFont>
#include <QSize>
#include <memory>

#include "progressbar/image_drawing_surface.h"
#include "progressbar/progress_bar_host.h"

namespace quorvel::progressbar::testing {

// A host whose drawing surface is a back buffer of the given size, for tests
// that look at the pixels the bar paints. It accepts every notice.
class ImageHost final : public ProgressBarHost {
 public:
  explicit ImageHost(QSize size) { surface.Resize(size); }

  Status PropertyChanged(std::string_view) override { return Status::Ok(); }
  QString DisplayName() const override { return QStringLiteral("ProgressBar1"); }
  std::shared_ptr<QFont> Font() const override { return ambient_font; }
  DrawingSurface& Surface() override { return surface; }

  std::shared_ptr<QFont> ambient_font = std::make_shared<QFont>();
  ImageDrawingSurface surface;
};

}  // namespace quorvel::progressbar::testing
