// The start-up sequence: its order, what each step passes, and that a failed
// step leaves a usable window.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <gtest/gtest.h>

#include "client/catalogue/components.h"
#include "reply_text.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/main_window.h"
#include "client/shell/qt/notice_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"

namespace quorvel::shell {
namespace {

using catalogue::TransferResult;
using testing::ListingReply;
using testing::TestComponents;

const QString kFolder = QStringLiteral("/opt/quorvel");

ShellAddresses TestAddresses() {
  return AddressesForHosts(u"list.test:81", u"site.test:82", u"partner.test:83");
}

QByteArray TwoRowReply() {
  return ListingReply({{"CF", "title a", "free", "2024-01-01", "a/*/http://x/**/", "7"},
                       {"CF", "title b", "paid", "2024-01-02", "b/*/http://y/**/", "8"}},
                      "42", "3");
}

class StartUpTest : public ::testing::Test {
 protected:
  StartUpTest() : window_(components_, TestAddresses(), kFolder) {}

  QAbstractButton* Button(const char* name) {
    return window_.findChild<QAbstractButton*>(QString::fromLatin1(name));
  }
  QString Counter() { return window_.findChild<QLabel*>(QStringLiteral("JiLu_Text"))->text(); }

  TestComponents components_;
  Main window_;
};

TEST_F(StartUpTest, StepsRunInTheirOrder) {
  components_.scripted.QueueReply(TwoRowReply());
  window_.StartUp();

  const QStringList expected = {
      "main1.WebBrowser1.Navigate http://partner.test:83",
      "main1.WebBrowser2.Navigate http://site.test:82/gonggao.html",
      "Main.WebBrowser1.Navigate http://site.test:82/tishi1.8.html",
      "WindowsMediaPlayer1.URL /opt/quorvel/mp3/mp3.mp3",
      "PrepareView",
      QString::fromUtf16(u"AddColumn(0,外挂分类,90)"),
      QString::fromUtf16(u"AddColumn(1,外挂标题,233)"),
      QString::fromUtf16(u"AddColumn(2,授权方式,90)"),
      QString::fromUtf16(u"AddColumn(3,更新时间,140)"),
      QString::fromUtf16(u"AddColumn(4,下载地址,0)"),
      "AddColumn(5,id,0)",
      "ApplyDisplaySettings",
      "SkinH_AttachEx /opt/quorvel/Skin/Skin.she []",
      "OpenURL http://list.test:81/adminphp/admin_upload.php?page=1",
      // Then the list is filled from the reply.
      "ClearRows",
  };
  EXPECT_EQ(components_.log.mid(0, expected.size()), expected);
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
  components.scripted.SetResponder([&](const QString&) {
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
  EXPECT_TRUE(components.log.contains(
      QStringLiteral("OpenURL http://list.test:81/adminphp/admin_upload.php?page=1")));
}

TEST(StartUpFailures, WithTheListingUnreachableTheWindowStillOpens) {
  TestComponents components;
  components.scripted.QueueFailure(TransferResult::Failure::kRefused,
                                   QStringLiteral("the service refused"));
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
  QByteArray body = QStringLiteral("a\x02t\x02m\x02u\x02l\x02i\x01").toUtf8();
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
