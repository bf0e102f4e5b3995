// The two windows as drawn: places, sizes, captions, colours and tab order.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "client/catalogue/qt/qt_list_view.h"
#include "list_checks.h"
#include "reply_text.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/main_window.h"
#include "client/shell/qt/notice_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "client/shell/qt/window_font.h"

namespace quorvel::shell {
namespace {

using testing::TestComponents;

struct Expected {
  const char* name;
  const char* container;
  QRect pixels;
};

// Twips from the design divided by 15 and rounded, worked out by hand.
const Expected kMainControls[] = {
    {"Text1", "Main", {8, 8, 217, 25}},         {"SoSo", "Main", {232, 8, 57, 25}},
    {"JiLu_Text", "Main", {296, 14, 217, 17}},  {"Command19", "Main", {520, 8, 41, 25}},
    {"Frame1", "Main", {8, 40, 553, 73}},       {"Command1", "Main", {464, 80, 89, 25}},
    {"ListView", "Main", {8, 112, 553, 357}},   {"Qian", "Main", {8, 477, 89, 33}},
    {"Hou", "Main", {472, 477, 89, 33}},        {"Label1", "Main", {256, 488, 65, 17}},
    {"List1", "Main", {8, 517, 553, 76}},       {"List2", "Main", {488, 392, 10, 16}},
    {"List3", "Main", {368, 552, 10, 16}},      {"HaunCun_Text", "Main", {216, 408, 10, 12}},
    {"WebBrowser1", "Main", {592, 496, 9, 9}},  {"WindowsMediaPlayer1", "Main", {592, 504, 9, 2}},
    {"Command2", "Frame1", {8, 16, 57, 25}},    {"Command3", "Frame1", {64, 16, 57, 25}},
    {"Command4", "Frame1", {120, 16, 57, 25}},  {"Command5", "Frame1", {176, 16, 57, 25}},
    {"Command6", "Frame1", {232, 16, 57, 25}},  {"Command7", "Frame1", {288, 16, 57, 25}},
    {"Command8", "Frame1", {344, 16, 57, 25}},  {"Command9", "Frame1", {400, 16, 57, 25}},
    {"Command10", "Frame1", {456, 16, 89, 25}}, {"Command11", "Frame1", {8, 40, 57, 25}},
    {"Command12", "Frame1", {64, 40, 57, 25}},  {"Command13", "Frame1", {120, 40, 57, 25}},
    {"Command16", "Frame1", {176, 40, 57, 25}}, {"Command17", "Frame1", {232, 40, 57, 25}},
    {"Command18", "Frame1", {288, 40, 57, 25}}, {"Command14", "Frame1", {344, 40, 57, 25}},
    {"Command15", "Frame1", {400, 40, 57, 25}},
};

const std::pair<const char*, const char16_t*> kButtonCaptions[] = {
    {"SoSo", u"搜索"},          {"Command19", u"关于"},          {"Qian", u"上一页"},
    {"Hou", u"下一页"},         {"Command1", u"跑炮卡丁车"},     {"Command2", u"穿越火线"},
    {"Command3", u"QQ飞车"},    {"Command4", u"QQ炫舞"},         {"Command5", u"CSOL"},
    {"Command6", u"洛克王国"},  {"Command7", u"造梦西游"},       {"Command8", u"机甲旋风"},
    {"Command9", u"QQ逆战"},    {"Command10", u"西游大战僵尸2"}, {"Command11", u"传奇"},
    {"Command12", u"斩魂"},     {"Command13", u"英雄联盟"},      {"Command14", u"QQ游戏"},
    {"Command15", u"QQ活动"},   {"Command16", u"梦三国"},        {"Command17", u"反恐行动"},
    {"Command18", u"风暴战区"},
};

QString Q(const char16_t* s) { return QString::fromUtf16(s); }

class LayoutTest : public ::testing::Test {
 protected:
  LayoutTest()
      : components_(/*qt_list_view=*/true),
        window_(components_,
                AddressesForHosts(u"list.test", u"site.test", u"partner.test"),
                QStringLiteral("/nonexistent/quorvel")) {}

  template <typename W = QWidget>
  W* Child(const char* name) {
    if (QString::fromLatin1(name) == QLatin1String("Main")) return qobject_cast<W*>(&window_);
    W* found = window_.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }

  TestComponents components_;
  Main window_;
};

TEST_F(LayoutTest, ClientAreaIsFixedAt570By600) {
  EXPECT_EQ(window_.minimumSize(), QSize(570, 600));
  EXPECT_EQ(window_.maximumSize(), QSize(570, 600));
}

TEST_F(LayoutTest, EveryControlSitsWhereTheDesignPutsIt) {
  for (const Expected& e : kMainControls) {
    SCOPED_TRACE(e.name);
    QWidget* widget = Child(e.name);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->geometry(), e.pixels);
    EXPECT_EQ(widget->parentWidget()->objectName(), QString::fromLatin1(e.container));
  }
}

TEST_F(LayoutTest, CaptionsAreTheDesignedTexts) {
  for (const auto& [name, caption] : kButtonCaptions) {
    SCOPED_TRACE(name);
    auto* button = Child<QAbstractButton>(name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), Q(caption));
  }
  EXPECT_EQ(Child<QLineEdit>("Text1")->text(), Q(u"请输入外挂的名称"));
  EXPECT_EQ(Child<QLabel>("JiLu_Text")->text(), QStringLiteral("0"));
  EXPECT_EQ(Child<QLabel>("Label1")->text(), Q(u"下载地址"));
  EXPECT_EQ(Child<QGroupBox>("Frame1")->title(), Q(u"热门游戏"));
  EXPECT_EQ(Child<QLineEdit>("HaunCun_Text")->text(), QStringLiteral("Text6"));
  EXPECT_EQ(Child("ListView")->toolTip(), Q(u"选择需要下载的外挂,下载地址会显示在下方!"));
  EXPECT_EQ(Child("List1")->toolTip(), Q(u"移动到自己喜欢的下载方式选中即可"));
}

TEST_F(LayoutTest, CounterIsRedPlainText) {
  auto* counter = Child<QLabel>("JiLu_Text");
  EXPECT_EQ(counter->textFormat(), Qt::PlainText);
  counter->ensurePolished();
  EXPECT_EQ(counter->palette().color(QPalette::WindowText), QColor(255, 0, 0));
}

TEST_F(LayoutTest, StoresAreHiddenAndPlayersLieBeyondTheRightEdge) {
  for (const char* store : {"List2", "List3", "HaunCun_Text"}) {
    EXPECT_TRUE(Child(store)->isHidden()) << store;
  }
  for (const char* player : {"WebBrowser1", "WindowsMediaPlayer1"}) {
    EXPECT_GE(Child(player)->geometry().left(), window_.width()) << player;
  }
}

TEST_F(LayoutTest, CategoryButtonsAreEighteenWithCommand1OutsideTheFrame) {
  for (int i = 1; i <= 18; ++i) {
    const QByteArray name = "Command" + QByteArray::number(i);
    auto* button = Child<QAbstractButton>(name.constData());
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget()->objectName(),
              QString::fromLatin1(i == 1 ? "Main" : "Frame1"));
  }
}

TEST_F(LayoutTest, TabWalksTheControlsInTheirDesignedOrder) {
  window_.show();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  // Page buttons are enabled for the walk: disabled ones are passed over.
  Child("Qian")->setEnabled(true);
  Child("Hou")->setEnabled(true);
  // Like the web engine's view, the tip browser holds a control that takes
  // the focus; out of sight, it must never have it.
  (new QLineEdit(Child("WebBrowser1")))->show();
  Child("List1")->setFocus(Qt::TabFocusReason);

  const QStringList expected = {
      "List1",     "ListView",  "Qian",      "Hou",       "Text1",     "SoSo",      "Command1",
      "Command2",  "Command3",  "Command4",  "Command5",  "Command6",  "Command7",  "Command8",
      "Command9",  "Command10", "Command11", "Command12", "Command13", "Command14", "Command15",
      "Command16", "Command17", "Command18", "Command19", "List1"};
  QStringList walked;
  for (int i = 0; i < expected.size(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    // The list view's focus lands inside its host; name it by the host.
    QWidget* named = focus;
    while (named != nullptr && named->objectName().isEmpty()) named = named->parentWidget();
    if (named != nullptr && named->parentWidget() != nullptr &&
        named->parentWidget()->objectName() == QLatin1String("ListView")) {
      named = named->parentWidget();
    }
    walked.append(named != nullptr ? named->objectName() : QStringLiteral("?"));
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  EXPECT_EQ(walked, expected);
}

TEST_F(LayoutTest, StartUpFocusIsOnTheLinkListNotAPageButton) {
  components_.scripted.QueueReply(testing::TwentyRowReply());
  window_.StartUp();
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  ASSERT_NE(QApplication::focusWidget(), nullptr);
  EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("List1"));
}

// Under the shipped skin too: see the skin's own tests.
TEST_F(LayoutTest, CatalogueListNeedsNoHorizontalScrollBar) {
  components_.scripted.QueueReply(testing::TwentyRowReply());
  window_.StartUp();
  auto* list = window_.findChild<catalogue::QtListView*>();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->header()->length(), 553);
  EXPECT_FALSE(testing::HorizontalScrollBarShown(*list));
}

class NoticeLayoutTest : public ::testing::Test {
 protected:
  NoticeLayoutTest()
      : notice_([this](QWidget* host) { return components_.MakeWebBrowser(host); },
                AddressesForHosts(u"list.test", u"site.test", u"partner.test")) {}

  TestComponents components_;
  NoticeWindow notice_;
};

TEST_F(NoticeLayoutTest, WindowAndControlsAsDrawn) {
  EXPECT_EQ(notice_.objectName(), QStringLiteral("main1"));
  EXPECT_EQ(notice_.windowTitle(), Q(u"有偿广告"));
  EXPECT_EQ(notice_.minimumSize(), QSize(248, 280));
  EXPECT_EQ(notice_.maximumSize(), QSize(248, 280));
  EXPECT_EQ(notice_.parentWidget(), nullptr);

  auto* label = notice_.findChild<QLabel*>(QStringLiteral("Label1"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->geometry(), QRect(0, 0, 249, 41));
  EXPECT_EQ(label->text(), Q(u"为了我们更好的发展,请点击一下下面的广告,每天点一次即可,"
                             u"您只需动一下手指,即可帮助我们维持服务器运作!Tovi谢谢各位了"));
  EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0x40, 0x40, 0x40));

  auto* frame = notice_.findChild<QWidget*>(QStringLiteral("Frame1"));
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->geometry(), QRect(0, 40, 249, 209));

  auto* partner = frame->findChild<QWidget*>(QStringLiteral("WebBrowser1"));
  ASSERT_NE(partner, nullptr);
  EXPECT_EQ(partner->parentWidget(), frame);
  EXPECT_EQ(partner->geometry(), QRect(-120, -32, 401, 257));

  auto* strip = notice_.findChild<QWidget*>(QStringLiteral("WebBrowser2"));
  ASSERT_NE(strip, nullptr);
  EXPECT_EQ(strip->parentWidget(), &notice_);
  EXPECT_EQ(strip->geometry(), QRect(-8, 233, 369, 49));
}

TEST(WindowIcon, BothWindowsCarryTheEightImageIcon) {
  TestComponents components;
  Main window(components, BuiltInAddresses(), QStringLiteral("/nonexistent"));
  for (const QWidget* w :
       {static_cast<const QWidget*>(&window), static_cast<const QWidget*>(&window.main1())}) {
    const QList<QSize> sizes = w->windowIcon().availableSizes();
    for (int side : {16, 24, 32, 48, 128, 256}) {
      EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    }
  }
}

// Under a style sheet Qt gives a control the font the desktop names for its
// class, not its window's; Qt 6.8's GTK theme names one for buttons, labels,
// lists and more.  The windows' own face reaches every control all the same.
TEST(WindowFont, ReachesEveryControlWhereTheDesktopNamesFontsForTheirClasses) {
  const char* const kClasses[] = {"QPushButton",       "QLabel",      "QLineEdit",  "QGroupBox",
                                  "QAbstractItemView", "QHeaderView", "QListWidget"};
  for (const char* type : kClasses)
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 11), type);
  qApp->setStyleSheet(QStringLiteral("QWidget { color: #000000; }"));
  TestComponents components(/*qt_list_view=*/true);
  Main window(components, BuiltInAddresses(), QStringLiteral("/nonexistent"));
  for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&window.main1())}) {
    w->ensurePolished();
    for (const QWidget* control : w->findChildren<QWidget*>()) {
      SCOPED_TRACE(control->objectName().toStdString() + " " + control->metaObject()->className());
      EXPECT_EQ(control->font().families(), WindowFont().families());
      // The notice's plea is a point smaller, by design.
      EXPECT_EQ(control->font().pointSize(),
                control->objectName() == "Label1" && w != &window ? 8 : 9);
    }
  }
  qApp->setStyleSheet(QString());
  for (const char* type : kClasses) QApplication::setFont(QApplication::font(), type);
}

}  // namespace
}  // namespace quorvel::shell
