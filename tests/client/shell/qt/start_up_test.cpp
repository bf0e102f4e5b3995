// The start-up sequence in the Qt window: what is on screen when, and that a failed
// step leaves a usable window.  Its order is tested with the window's logic.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>

#include "client/catalogue/components.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/main_window.h"
#include "client/shell/qt/notice_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "reply_text.h"

namespace quorvel::shell {
namespace {

using catalogue::TransferResult;
using testing::ListingReply;
using testing::TestComponents;

const QString kFolder = QStringLiteral("/opt/quorvel");

ShellAddresses TestAddresses() {
  return AddressesForHosts(u"list.test:81", u"site.test:82", u"partner.test:83");
}

std::string TwoRowReply() {
  return ListingReply({{"CF", "title a", "free", "2024-01-01", "a/*/http://x/**/", "7"},
                       {"CF", "title b", "paid", "2024-01-02", "b/*/http://y/**/", "8"}},
                      "42", "3");
}

TEST(StartUpSequence, NoticeWindowIsUpAndMainWindowHiddenUntilTheFirstLoadReturns) {
  TestComponents components;
  Main* window = nullptr;
  auto button = [&](const char* name) {
    return window->findChild<QAbstractButton*>(QString::fromLatin1(name));
  };
  bool skin_checked = false;
  components.skin_probe = [&] {
    // Caption, page state and buttons are set before the skin.
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Quorvel1.8"));
    EXPECT_FALSE(button("SoSo")->isEnabled());
    EXPECT_FALSE(button("Qian")->isEnabled());
    EXPECT_FALSE(button("Hou")->isEnabled());
    EXPECT_EQ(window->Session().ServerUrl(), QStringLiteral("http://list.test:81/adminphp/"));
    skin_checked = true;
  };
  bool load_checked = false;
  components.scripted.SetResponder([&](std::u16string_view) {
    EXPECT_TRUE(window->main1().isVisible());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(button("SoSo")->isEnabled());
    EXPECT_EQ(window->Session().PageNo(), 1);
    EXPECT_EQ(window->Session().ScriptName(), QStringLiteral("admin_upload.php?"));
    load_checked = true;
    TransferResult result;
    result.body = TwoRowReply();
    return result;
  });
  Main made(components, TestAddresses(), kFolder);
  window = &made;
  made.StartUp();
  EXPECT_TRUE(skin_checked);
  EXPECT_TRUE(load_checked);
  EXPECT_TRUE(made.isVisible());
  EXPECT_EQ(made.ListedRows(), 2);
  EXPECT_EQ(made.findChild<QLabel*>(QStringLiteral("JiLu_Text"))->text(),
            QString::fromUtf16(u"Quorvel共有 42 个外挂"));
  EXPECT_FALSE(button("Qian")->isEnabled());
  EXPECT_TRUE(button("Hou")->isEnabled());
}

TEST(StartUpFailures, WithoutTheSkinTheWindowOpensWithItsList) {
  TestComponents components;
  components.skin_result = false;
  components.scripted.QueueReply(TwoRowReply());
  Main window(components, TestAddresses(), kFolder);
  window.StartUp();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorvel1.8"));
  EXPECT_EQ(window.ListedRows(), 2);
  EXPECT_TRUE(window.findChild<QAbstractButton*>(QStringLiteral("SoSo"))->isEnabled());
  EXPECT_NE(std::find(components.log.begin(), components.log.end(),
                      u"OpenURL http://list.test:81/adminphp/admin_upload.php?page=1"),
            components.log.end());
}

TEST(StartUpFailures, WithTheListingUnreachableTheWindowStillOpens) {
  TestComponents components;
  components.scripted.QueueFailure(TransferResult::Failure::kRefused, u"the service refused");
  Main window(components, TestAddresses(), kFolder);
  window.StartUp();
  EXPECT_TRUE(window.isVisible());
  EXPECT_TRUE(window.main1().isVisible());
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorvel1.8"));
  EXPECT_EQ(window.ListedRows(), 0);
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("JiLu_Text"))->text(), QStringLiteral("0"));
  EXPECT_TRUE(window.findChild<QAbstractButton*>(QStringLiteral("SoSo"))->isEnabled());
  EXPECT_FALSE(window.findChild<QAbstractButton*>(QStringLiteral("Qian"))->isEnabled());
  EXPECT_FALSE(window.findChild<QAbstractButton*>(QStringLiteral("Hou"))->isEnabled());
  for (int i = 1; i <= 18; ++i) {
    EXPECT_TRUE(
        window.findChild<QAbstractButton*>(QStringLiteral("Command%1").arg(i))->isEnabled());
  }
  // Told in the window, not in a box that waits.
  auto* notice = window.findChild<QLabel*>(QStringLiteral("Notice"));
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_FALSE(notice->text().isEmpty());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(StartUpFailures, AReplyWithoutTrailerKeepsTheCounterAndDisablesPaging) {
  TestComponents components;
  const std::string body = "a\x02t\x02m\x02u\x02l\x02i\x01";
  components.scripted.QueueReply(body);
  Main window(components, TestAddresses(), kFolder);
  window.StartUp();
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.ListedRows(), 1);
  EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("JiLu_Text"))->text(), QStringLiteral("0"));
  EXPECT_FALSE(window.findChild<QAbstractButton*>(QStringLiteral("Qian"))->isEnabled());
  EXPECT_FALSE(window.findChild<QAbstractButton*>(QStringLiteral("Hou"))->isEnabled());
}

TEST(Lifetime, ClosingTheMainWindowLeavesTheNoticeAndBothClosedEndTheProgram) {
  TestComponents components;
  components.scripted.QueueReply(TwoRowReply());
  Main window(components, TestAddresses(), kFolder);
  window.StartUp();
  ASSERT_TRUE(QApplication::quitOnLastWindowClosed());
  bool notice_outlived_main = false;
  QTimer::singleShot(0, &window, [&] {
    window.close();
    notice_outlived_main = window.main1().isVisible() && !window.isVisible();
    QTimer::singleShot(0, &window, [&] { window.main1().close(); });
  });
  // Bounds the wait should the program fail to end by itself.
  QTimer::singleShot(10000, &window, [] { QCoreApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_TRUE(notice_outlived_main);
}

}  // namespace
}  // namespace quorvel::shell
