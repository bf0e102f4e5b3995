#include "client/shell/notice_placement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quorvel::shell {

void PrintTo(const ScreenPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

struct Case {
  ScreenRect screen;
  ScreenSize outer;
  ScreenPoint expected;
};

// Right edge flush with the screen's, bottom edge 450 twips (30 px) above it.
const Case kCases[] = {
    {{0, 0, 1280, 800}, {248, 280}, {1032, 490}},
    {{0, 0, 1920, 1080}, {248, 280}, {1672, 770}},
    {{0, 0, 800, 600}, {250, 305}, {550, 265}},  // with a window manager's frame
    {{0, 0, 640, 480}, {248, 280}, {392, 170}},
    {{0, 0, 3840, 2160}, {256, 312}, {3584, 1818}},
    {{1920, 0, 1280, 1024}, {248, 280}, {2952, 714}},  // a second screen right of the first
    {{0, -900, 1600, 900}, {248, 280}, {1352, -310}},  // a screen above the first
    {{0, 0, 200, 250}, {248, 280}, {-48, -60}},        // smaller than the window itself
};

TEST(NoticeWindowPosition, FlushRightAndThirtyPixelsAboveTheBottom) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::to_string(c.screen.width) + "x" + std::to_string(c.screen.height));
    const ScreenPoint at = NoticeWindowPosition(c.screen, c.outer);
    EXPECT_EQ(at, c.expected);
    EXPECT_EQ(at.x + c.outer.width, c.screen.left + c.screen.width);
    EXPECT_EQ(c.screen.top + c.screen.height - (at.y + c.outer.height), 30);
  }
}

// In device pixels the gap is 30 pixels times the ratio.
TEST(NoticeWindowPosition, InDevicePixelsTheGapScales) {
  EXPECT_EQ(NoticeWindowPosition({0, 0, 1366, 768}, {498, 581}, 2.0), (ScreenPoint{868, 127}));
  EXPECT_EQ(NoticeWindowPosition({0, 0, 1366, 768}, {312, 371}, 1.25), (ScreenPoint{1054, 359}));
}

struct MainCase {
  ScreenRect available;
  ScreenSize outer;
  ScreenPoint expected;
};

// Centred where it fits; where it does not, from the area's top left corner.
const MainCase kMainCases[] = {
    {{0, 0, 1920, 1080}, {572, 621}, {674, 229}},
    {{0, 32, 1366, 704}, {572, 621}, {397, 73}},       // under a top panel
    {{0, 0, 1093, 614}, {572, 621}, {260, 0}},         // 1366x768 at 125 %: too short
    {{0, 0, 500, 400}, {572, 621}, {0, 0}},            // too small both ways
    {{1920, 0, 1280, 1024}, {572, 621}, {2274, 201}},  // a second screen
};

TEST(MainWindowPosition, CentredInTheWorkAreaAndNeverAboveOrLeftOfIt) {
  for (const MainCase& c : kMainCases) {
    SCOPED_TRACE(std::to_string(c.available.width) + "x" + std::to_string(c.available.height));
    EXPECT_EQ(MainWindowPosition(c.available, c.outer), c.expected);
  }
}

}  // namespace
}  // namespace quorvel::shell
