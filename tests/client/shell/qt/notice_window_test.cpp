#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include "client/shell/addresses.h"
#include "client/shell/qt/notice_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"

namespace quorvel::shell {
namespace {

// The notice window on the screen: where its place is worked out is tested
// with the main window's logic; here it is shown for real.
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
  EXPECT_EQ(components.browsers[0]->addresses(), testing::Lines{u"http://p.test"});
  EXPECT_EQ(components.browsers[1]->addresses(), testing::Lines{u"http://s.test/gonggao.html"});
}

}  // namespace
}  // namespace quorvel::shell
