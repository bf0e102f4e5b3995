#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>

#include <optional>

class QWidget;

namespace quorvel::shell {

// A shown top-level window's place as the display server keeps it, in its
// own pixels, where the server can tell it (X11).  Qt gives places in its
// device-independent pixels, each frame border rounded to a whole one: at
// 200 % a one pixel border counts as two and a window can only start on an
// even device pixel, so a window placed through Qt stops a device pixel
// short of a screen edge.  These reach past that; elsewhere (Wayland, the
// offscreen platform) they answer nothing and do nothing.
class NativeFrame {
 public:
  explicit NativeFrame(const QWidget& window) : window_(window) {}

  // The window manager's frame around the window.
  std::optional<QMargins> Margins() const;
  // The whole screen the window is on.
  std::optional<QRect> Screen() const;
  // Moves the window's frame so that its top left corner is at `frame_at`.
  bool MoveFrameTo(QPoint frame_at, const QMargins& margins) const;

 private:
  const QWidget& window_;
};

}  // namespace quorvel::shell
