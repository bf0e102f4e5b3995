#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "client/shell/addresses.h"
#include "client/shell/notice_placement.h"
#include "client/shell/qt/notice_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"

namespace quorvel::shell {
namespace {

struct Case {
  QRect screen;
  QSize outer;
  QPoint expected;
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
    SCOPED_TRACE(::testing::PrintToString(c.screen.width()) + "x" +
                 ::testing::PrintToString(c.screen.height()));
    const QPoint at = NoticeWindowPosition(c.screen, c.outer);
    EXPECT_EQ(at, c.expected);
    EXPECT_EQ(at.x() + c.outer.width(), c.screen.x() + c.screen.width());
    EXPECT_EQ(c.screen.y() + c.screen.height() - (at.y() + c.outer.height()), 30);
  }
}

// In device pixels the gap is 30 pixels times the ratio.
TEST(NoticeWindowPosition, InDevicePixelsTheGapScales) {
  EXPECT_EQ(NoticeWindowPosition({0, 0, 1366, 768}, {498, 581}, 2.0), QPoint(868, 127));
  EXPECT_EQ(NoticeWindowPosition({0, 0, 1366, 768}, {312, 371}, 1.25), QPoint(1054, 359));
}

struct MainCase {
  QRect available;
  QSize outer;
  QPoint expected;
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
    SCOPED_TRACE(::testing::PrintToString(c.available.width()) + "x" +
                 ::testing::PrintToString(c.available.height()));
    EXPECT_EQ(MainWindowPosition(c.available, c.outer), c.expected);
  }
}

TEST(NoticeWindowShown, SitsInTheScreensBottomRightCorner) {
  shell::testing::TestComponents components;
  NoticeWindow notice([&](QWidget* host) { return components.MakeWebBrowser(host); },
                      AddressesForHosts(u"l.test", u"s.test", u"p.test"));
  notice.ShowNotice();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&notice));
  const QRect screen = notice.screen()->geometry();
  const QRect outer = notice.frameGeometry();
  EXPECT_EQ(outer.x() + outer.width(), screen.x() + screen.width());
  EXPECT_EQ(screen.y() + screen.height() - (outer.y() + outer.height()), 30);
  EXPECT_TRUE(notice.isVisible());
  EXPECT_EQ(notice.parentWidget(), nullptr);
  EXPECT_FALSE(notice.isModal());

  ASSERT_EQ(components.browsers.size(), 2u);
  EXPECT_EQ(components.browsers[0]->addresses(), QStringList{QStringLiteral("http://p.test")});
  EXPECT_EQ(components.browsers[1]->addresses(),
            QStringList{QStringLiteral("http://s.test/gonggao.html")});
}

}  // namespace
}  // namespace quorvel::shell
