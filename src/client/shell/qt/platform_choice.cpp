#include "client/shell/qt/platform_choice.h"

#include <cstdlib>

namespace quorvel::shell {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

}  // namespace

std::string PlatformToAskFor(const DisplayEnvironment& environment) {
  if (!environment.qt_qpa_platform.empty()) return {};
  const bool wayland_session =
      !environment.wayland_display.empty() || environment.session_type == "wayland";
  if (!wayland_session || environment.display.empty()) return {};
  return "xcb;wayland";
}

std::string PlacementWarning(const std::string& platform_name) {
  if (platform_name.rfind("wayland", 0) != 0) return {};
  return "quorvel: on Wayland a window cannot choose its place: the notice window opens where "
         "the compositor puts it, not in the bottom right-hand corner (an X server, XWayland, "
         "would let it)";
}

DisplayEnvironment CurrentDisplayEnvironment() {
  return {Variable("QT_QPA_PLATFORM"), Variable("WAYLAND_DISPLAY"), Variable("DISPLAY"),
          Variable("XDG_SESSION_TYPE")};
}

}  // namespace quorvel::shell
