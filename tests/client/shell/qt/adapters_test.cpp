// The Qt adapters of the skin, the media player and the web browser, and the
// window under the shipped skin.

#include <QApplication>
#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QMediaPlayer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include "address_sanitizer.h"
#include "client/catalogue/qt/qt_list_view.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/components/qt_media_player.h"
#include "client/shell/qt/components/qt_web_browser.h"
#include "client/shell/qt/components/style_sheet_skin.h"
#include "client/shell/qt/main_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "list_checks.h"
#include "qt_printers.h"
#include "reply_text.h"

namespace quorvel::shell {
namespace {

// The adapters take the client's UTF-16 text.
std::u16string S(const QString& text) { return text.toStdU16String(); }

class StyleSheetSkinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    qApp->setStyleSheet(QString());
  }
  void TearDown() override { qApp->setStyleSheet(QString()); }

  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  QTemporaryDir dir_;
  StyleSheetSkin skin_;
};

TEST_F(StyleSheetSkinTest, AppliesTheFileToTheWholeApplication) {
  const QByteArray sheet = "QPushButton { color: #123456; } /* \xe7\x9a\xae\xe8\x82\xa4 */";
  EXPECT_TRUE(skin_.SkinH_AttachEx(S(Write("Skin.she", sheet)), u""));
  EXPECT_EQ(qApp->styleSheet(), QString::fromUtf8(sheet));
}

TEST_F(StyleSheetSkinTest, MissingUnreadableOrEmptyFilesFailAndChangeNothing) {
  qApp->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
  const QString before = qApp->styleSheet();
  EXPECT_FALSE(skin_.SkinH_AttachEx(S(dir_.filePath("absent.she")), u""));
  EXPECT_FALSE(skin_.SkinH_AttachEx(S(dir_.path()), u""));  // a folder
  EXPECT_FALSE(skin_.SkinH_AttachEx(S(Write("empty.she", "  \n")), u""));
  EXPECT_FALSE(skin_.SkinH_AttachEx(S(Write("huge.she", QByteArray((1 << 20) + 1, ' '))), u""));
  EXPECT_EQ(qApp->styleSheet(), before);
}

TEST_F(StyleSheetSkinTest, TheShippedSkinIsAccepted) {
  EXPECT_TRUE(
      skin_.SkinH_AttachEx(S(QStringLiteral(QUORVEL_SOURCE_DIR "/assets/Skin/Skin.she")), u""));
  EXPECT_FALSE(qApp->styleSheet().isEmpty());
}

TEST_F(StyleSheetSkinTest, TheShippedSkinLeavesTheCatalogueListWithoutAHorizontalScrollBar) {
  testing::TestComponents components(/*qt_list_view=*/true);
  components.scripted.QueueReply(testing::TwentyRowReply());
  Main window(components, AddressesForHosts(u"list.test", u"site.test", u"partner.test"),
              QStringLiteral("/nonexistent/quorvel"));
  window.StartUp();
  auto* list = window.findChild<catalogue::QtListView*>();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(
      skin_.SkinH_AttachEx(S(QStringLiteral(QUORVEL_SOURCE_DIR "/assets/Skin/Skin.she")), u""));
  EXPECT_GE(list->viewport()->width(), list->header()->length());
  EXPECT_FALSE(testing::HorizontalScrollBarShown(*list));
}

TEST(QtMediaPlayer, HalfVolumeOncePlayingFromTheGivenFile) {
  QtMediaPlayer player;
  EXPECT_FLOAT_EQ(player.Output().volume(), 0.5f);
  EXPECT_FALSE(player.Output().isMuted());
  EXPECT_EQ(player.Player().loops(), 1);
  const QString file = QStringLiteral(QUORVEL_SOURCE_DIR "/assets/mp3/mp3.mp3");
  player.SetURL(S(file));
  EXPECT_EQ(player.Player().source(), QUrl::fromLocalFile(file));
  // Without a sound device the backend may play into nothing or give up;
  // either way the program goes on.
  EXPECT_NE(player.Player().playbackState(), QMediaPlayer::PausedState);
}

TEST(QtMediaPlayer, AMissingFileIsTheBackendsAffair) {
  QtMediaPlayer player;
  QSignalSpy failed(&player.Player(), &QMediaPlayer::errorOccurred);
  player.SetURL(S(QStringLiteral("/nonexistent/mp3/mp3.mp3")));
  EXPECT_TRUE(failed.count() > 0 || failed.wait(10000));
  EXPECT_NE(player.Player().error(), QMediaPlayer::NoError);
}

TEST(QtWebBrowser, FillsItsHostAndLoadsTheAddress) {
  if (quorvel::testing::kAddressSanitizer) {
    // The web engine's own Chromium code frees objects through a base without
    // a sized delete, which the sanitizer reports on every page torn down.
    GTEST_SKIP() << "Qt WebEngine is not sanitizer-clean; this adapter runs in the plain build";
  }
  QWidget host;
  host.resize(401, 257);
  QtWebBrowser browser(&host);
  host.show();
  ASSERT_NE(browser.View(), nullptr);
  EXPECT_EQ(browser.View()->parentWidget(), &host);
  EXPECT_EQ(browser.View()->focusPolicy(), Qt::NoFocus);
  QSignalSpy finished(browser.View(), &QWebEngineView::loadFinished);
  // Nothing listens on port 9 of the loopback address: the page fails, which
  // is the browser's own affair.
  browser.Navigate(S(QStringLiteral("http://127.0.0.1:9/gonggao.html")));
  ASSERT_TRUE(finished.count() > 0 || finished.wait(20000));
  EXPECT_EQ(browser.View()->url(), QUrl(QStringLiteral("http://127.0.0.1:9/gonggao.html")));
  EXPECT_EQ(browser.View()->geometry(), QRect(0, 0, 401, 257));
}

}  // namespace
}  // namespace quorvel::shell
