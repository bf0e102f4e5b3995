#include "client/shell/qt/native_frame.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#endif

namespace quorvel::shell {

#if QT_CONFIG(xcb)
namespace {

xcb_connection_t* Connection() {
  auto* x11 =
      qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  return x11 != nullptr ? x11->connection() : nullptr;
}

// Replies of the xcb calls, which the caller frees.
template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> Own(T* reply) {
  return Reply<T>(reply, &std::free);
}

xcb_window_t WindowId(const QWidget& window) {
  if (!window.isWindow() || window.windowHandle() == nullptr) return XCB_WINDOW_NONE;
  return static_cast<xcb_window_t>(window.windowHandle()->winId());
}

}  // namespace

std::optional<QMargins> NativeFrame::Margins() const {
  xcb_connection_t* connection = Connection();
  const xcb_window_t id = WindowId(window_);
  if (connection == nullptr || id == XCB_WINDOW_NONE) return {};
  static constexpr char kName[] = "_NET_FRAME_EXTENTS";
  const auto atom = Own(xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 1, std::strlen(kName), kName), nullptr));
  if (atom == nullptr || atom->atom == XCB_ATOM_NONE) return {};
  const auto reply = Own(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, id, atom->atom, XCB_ATOM_CARDINAL, 0, 4),
      nullptr));
  if (reply == nullptr || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 16) {
    return {};
  }
  // Left, right, top, bottom.
  const auto* v = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
  return QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
}

std::optional<QRect> NativeFrame::Screen() const {
  xcb_connection_t* connection = Connection();
  const QScreen* screen = window_.screen();
  if (connection == nullptr || screen == nullptr) return {};
  // With one screen it is the root window; with more, Qt's place scaled back,
  // which is as near as Qt knows it.
  if (QGuiApplication::screens().size() == 1) {
    const xcb_screen_t* root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (root != nullptr) return QRect(0, 0, root->width_in_pixels, root->height_in_pixels);
  }
  const qreal ratio = window_.devicePixelRatioF();
  const QRect g = screen->geometry();
  return QRect(qRound(g.x() * ratio), qRound(g.y() * ratio), qRound(g.width() * ratio),
               qRound(g.height() * ratio));
}

bool NativeFrame::MoveFrameTo(QPoint frame_at, const QMargins& margins) const {
  xcb_connection_t* connection = Connection();
  const xcb_window_t id = WindowId(window_);
  if (connection == nullptr || id == XCB_WINDOW_NONE) return false;
  // Qt asks for static gravity: the place asked for is the inner window's.
  const std::uint32_t at[] = {std::uint32_t(frame_at.x() + margins.left()),
                              std::uint32_t(frame_at.y() + margins.top())};
  xcb_configure_window(connection, id, XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y, at);
  xcb_flush(connection);
  return true;
}

#else

std::optional<QMargins> NativeFrame::Margins() const { return {}; }
std::optional<QRect> NativeFrame::Screen() const { return {}; }
bool NativeFrame::MoveFrameTo(QPoint, const QMargins&) const { return false; }

#endif

}  // namespace quorvel::shell
