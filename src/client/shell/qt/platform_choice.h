#pragma once

#include <string>

namespace quorvel::shell {

// What the program's environment says about the display servers at hand.
struct DisplayEnvironment {
  std::string qt_qpa_platform;  // QT_QPA_PLATFORM, as the user set it
  std::string wayland_display;  // WAYLAND_DISPLAY
  std::string display;          // DISPLAY
  std::string session_type;     // XDG_SESSION_TYPE
};

// The platforms to ask Qt for, in Qt's "first;second" form; empty leaves the
// choice to Qt.  The notice window places itself in the screen's corner,
// which a Wayland client cannot do: on a Wayland session with an X server
// beside it (XWayland) the program runs on X, unless the user chose a
// platform, and on Wayland only where X does not answer.
std::string PlatformToAskFor(const DisplayEnvironment& environment);

// One line for stderr when the windows are on a platform where they cannot
// choose their places; empty elsewhere.
std::string PlacementWarning(const std::string& platform_name);

// This process's environment.
DisplayEnvironment CurrentDisplayEnvironment();

}  // namespace quorvel::shell
