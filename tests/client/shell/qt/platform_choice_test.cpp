#include "client/shell/qt/platform_choice.h"

#include <gtest/gtest.h>

namespace quorvel::shell {
namespace {

struct Case {
  const char* what;
  DisplayEnvironment environment;
  const char* platform;
};

// QT_QPA_PLATFORM, WAYLAND_DISPLAY, DISPLAY, XDG_SESSION_TYPE.
const Case kCases[] = {
    {"Wayland with XWayland", {"", "wayland-0", ":0", "wayland"}, "xcb;wayland"},
    {"WAYLAND_DISPLAY alone names the session", {"", "wayland-0", ":1", ""}, "xcb;wayland"},
    {"the user's choice stands", {"wayland", "wayland-0", ":0", "wayland"}, ""},
    {"Wayland without X", {"", "wayland-0", "", "wayland"}, ""},
    {"X alone", {"", "", ":0", "x11"}, ""},
    {"no display at all", {"", "", "", "tty"}, ""},
};

TEST(PlatformToAskFor, XBesideWaylandUnlessTheUserChose) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PlatformToAskFor(c.environment), c.platform);
  }
}

TEST(PlacementWarning, OnlyOnWayland) {
  EXPECT_FALSE(PlacementWarning("wayland").empty());
  EXPECT_FALSE(PlacementWarning("wayland-egl").empty());
  EXPECT_TRUE(PlacementWarning("xcb").empty());
  EXPECT_TRUE(PlacementWarning("offscreen").empty());
}

}  // namespace
}  // namespace quorvel::shell
