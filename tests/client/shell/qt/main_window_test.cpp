// The window's own behaviour with doubles: the About box, the search box,
// the failure notice, and the link list handing its choices on.

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "client/catalogue/components.h"
#include "client/shell/about_text.h"
#include "client/shell/addresses.h"
#include "client/shell/qt/main_window.h"
#include "doubles/client/shell/qt/shell_doubles.h"
#include "reply_text.h"

namespace quorvel::shell {
namespace {

using catalogue::TransferResult;
using testing::ListingReply;
using testing::TestComponents;

ShellAddresses TestAddresses() {
  return AddressesForHosts(u"list.test", u"site.test", u"partner.test");
}

const QString kBase = QStringLiteral("http://list.test/adminphp/admin_upload.php?");

std::string LinksReply() {
  return ListingReply(
      {{"CF", "one", "free", "2024", "a/*/http://x.test/a/**/b/*/http://x.test/b/**/", "1"},
       {"CF", "two", "free", "2024", "c/*/file:///etc/passwd/**/d/*/ed2k://d/**/", "2"}},
      "2", "1");
}

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() : window_(components_, TestAddresses(), QStringLiteral("/opt/q")) {
    components_.scripted.QueueReply(LinksReply());
    window_.StartUp();
    window_.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  template <typename W = QWidget>
  W* Child(const char* name) {
    W* found = window_.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QStringList List1Lines() {
    QStringList lines;
    auto* list1 = Child<QListWidget>("List1");
    for (int i = 0; i < list1->count(); ++i) lines.append(list1->item(i)->text());
    return lines;
  }
  QStringList Opened() {
    QStringList opened;
    for (const auto& o : components_.shell_open->opened()) {
      opened.append(QString::fromStdU16String(o.address));
    }
    return opened;
  }

  TestComponents components_;
  Main window_;
};

TEST_F(MainWindowTest, AboutBoxHasItsTitleTextAndOnlyAnOkButton) {
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen = true;
    EXPECT_EQ(box->windowTitle(), QString::fromUtf16(u"关于"));
    EXPECT_EQ(box->text(), AboutText(TestAddresses()));
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    box->button(QMessageBox::Ok)->click();
  });
  const testing::Lines log_before = components_.log;
  Child<QAbstractButton>("Command19")->click();
  EXPECT_TRUE(seen);
  // Nothing else happens: no fetch, nothing opened.
  EXPECT_EQ(components_.log, log_before);
  EXPECT_TRUE(components_.shell_open->opened().empty());
}

TEST_F(MainWindowTest, EveryClickIntoTheSearchBoxEmptiesIt) {
  auto* text1 = Child<QLineEdit>("Text1");
  EXPECT_EQ(text1->text(), QString::fromUtf16(u"请输入外挂的名称"));
  QTest::mouseClick(text1, Qt::LeftButton);
  EXPECT_EQ(text1->text(), QString());
  text1->setText(QStringLiteral("typed term"));
  QTest::mouseClick(text1, Qt::LeftButton);
  EXPECT_EQ(text1->text(), QString());
}

TEST_F(MainWindowTest, SearchWithoutClickingSendsThePromptItself) {
  components_.scripted.QueueReply(ListingReply({}, "0", "0"));
  Child<QAbstractButton>("SoSo")->click();
  EXPECT_EQ(components_.scripted.addresses().back(),
            kBase + QStringLiteral("page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84"
                                   "%E5%90%8D%E7%A7%B0"));
}

TEST_F(MainWindowTest, EnterInTheSearchBoxPressesSearchAndKeepsTheTerm) {
  auto* text1 = Child<QLineEdit>("Text1");
  text1->setFocus();
  text1->setText(QString::fromUtf16(u"  穿越 "));
  components_.scripted.QueueReply(ListingReply({{"CF", "t", "m", "u", "", "1"}}, "25", "2"));
  QTest::keyClick(text1, Qt::Key_Return);
  EXPECT_EQ(components_.scripted.addresses().back(),
            kBase + QStringLiteral("page=1&q=%E7%A9%BF%E8%B6%8A"));
  EXPECT_EQ(text1->text(), QString::fromUtf16(u"  穿越 "));
  EXPECT_EQ(Child<QLabel>("JiLu_Text")->text(), QString::fromUtf16(u"搜索到 25 结果"));
  EXPECT_FALSE(Child<QAbstractButton>("Qian")->isEnabled());
  EXPECT_TRUE(Child<QAbstractButton>("Hou")->isEnabled());

  components_.scripted.QueueReply(ListingReply({}, "0", "0"));
  QTest::keyClick(text1, Qt::Key_Enter);  // the keypad's key too
  EXPECT_EQ(components_.scripted.addresses().size(), 3);
}

TEST_F(MainWindowTest, CounterShowsMarkupFromTheNetworkAsText) {
  components_.scripted.QueueReply(ListingReply({}, "<b>9</b><img src=x>", "1"));
  Child<QAbstractButton>("Command2")->click();
  auto* counter = Child<QLabel>("JiLu_Text");
  EXPECT_EQ(counter->textFormat(), Qt::PlainText);
  EXPECT_EQ(counter->text(), QString::fromUtf16(u"当前有 <b>9</b><img src=x> 个穿越火线外挂"));
}

TEST_F(MainWindowTest, AFailedLoadIsToldInTheWindowAndTheNextClickWorks) {
  auto* notice = Child<QLabel>("Notice");
  EXPECT_FALSE(notice->isVisible());
  components_.scripted.QueueFailure(TransferResult::Failure::kRefused, u"the service refused.");
  Child<QAbstractButton>("Command5")->click();
  EXPECT_TRUE(notice->isVisible());
  EXPECT_EQ(notice->text(), window_.Session().Notice());
  EXPECT_FALSE(notice->text().isEmpty());
  EXPECT_EQ(notice->textFormat(), Qt::PlainText);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  // What was on show stays on show.
  EXPECT_EQ(window_.ListedRows(), 2);

  components_.scripted.QueueReply(ListingReply({}, "0", "0"));
  Child<QAbstractButton>("Command5")->click();
  EXPECT_FALSE(notice->isVisible());
  EXPECT_EQ(Child<QLabel>("JiLu_Text")->text(), QString::fromUtf16(u"当前有 0 个反恐精英外挂"));
}

TEST_F(MainWindowTest, ANoticeQuotingMarkupShowsItAsText) {
  components_.scripted.QueueFailure(TransferResult::Failure::kOther, u"<b>reset</b> & <img src=x>");
  Child<QAbstractButton>("Command4")->click();
  auto* notice = Child<QLabel>("Notice");
  ASSERT_TRUE(notice->isVisible());
  EXPECT_TRUE(notice->text().endsWith(QStringLiteral("<b>reset</b> & <img src=x>")));
  EXPECT_EQ(notice->textFormat(), Qt::PlainText);
  EXPECT_TRUE(notice->toolTip().contains(QStringLiteral("&lt;b&gt;reset&lt;/b&gt; &amp; &lt;img")));
  EXPECT_FALSE(notice->toolTip().contains(QStringLiteral("<b>")));
}

TEST_F(MainWindowTest, ClickingTheNoticePutsItAway) {
  components_.scripted.QueueFailure(TransferResult::Failure::kHttpStatus,
                                    u"the service answered 500.");
  Child<QAbstractButton>("Command3")->click();
  auto* notice = Child<QLabel>("Notice");
  ASSERT_TRUE(notice->isVisible());
  QTest::mouseClick(notice, Qt::LeftButton);
  EXPECT_FALSE(notice->isVisible());
}

TEST_F(MainWindowTest, ChoosingARowListsItsLinksAndSelectingOneOpensIt) {
  components_.fake_list_view->ChooseRow(0);
  EXPECT_EQ(List1Lines(), (QStringList{"a", "b"}));
  EXPECT_EQ(window_.Session().List2(), (QStringList{"http://x.test/a", "http://x.test/b"}));
  EXPECT_TRUE(components_.shell_open->opened().empty());

  auto* list1 = Child<QListWidget>("List1");
  QTest::mouseClick(list1->viewport(), Qt::LeftButton, {},
                    list1->visualItemRect(list1->item(1)).center());
  EXPECT_EQ(Opened(), QStringList{"http://x.test/b"});
  EXPECT_EQ(components_.shell_open->opened().back().working_directory, QStringLiteral("/opt/q"));
}

TEST_F(MainWindowTest, TheFirstClickOnALinkNameOpensTheChosenRowsAddressWhenNamesRepeat) {
  components_.scripted.QueueReply(ListingReply(
      {{"CF", "one", "free", "2024", "m1/*/http://x.test/1a/**/m2/*/http://x.test/1b/**/", "1"},
       {"CF", "two", "free", "2024", "m1/*/http://x.test/2a/**/m2/*/http://x.test/2b/**/", "2"}},
      "2", "1"));
  Child<QAbstractButton>("Command2")->click();
  auto* list1 = Child<QListWidget>("List1");
  const auto click_line = [&](int line) {
    QTest::mouseClick(list1->viewport(), Qt::LeftButton, {},
                      list1->visualItemRect(list1->item(line)).center());
  };
  components_.fake_list_view->ChooseRow(0);
  click_line(0);
  components_.fake_list_view->ChooseRow(1);
  EXPECT_TRUE(list1->selectedItems().isEmpty());
  click_line(0);
  EXPECT_EQ(Opened(), (QStringList{"http://x.test/1a", "http://x.test/2a"}));
}

TEST_F(MainWindowTest, ArrowKeysOpenEachLinkTheSelectionPassesOver) {
  components_.fake_list_view->ChooseRow(0);
  auto* list1 = Child<QListWidget>("List1");
  list1->setFocus();
  QTest::mouseClick(list1->viewport(), Qt::LeftButton, {},
                    list1->visualItemRect(list1->item(0)).center());
  QTest::keyClick(list1, Qt::Key_Down);
  QTest::keyClick(list1, Qt::Key_Up);
  EXPECT_EQ(Opened(), (QStringList{"http://x.test/a", "http://x.test/b", "http://x.test/a"}));
}

TEST_F(MainWindowTest, EnterOnALinkNameOpensItsAddress) {
  components_.fake_list_view->ChooseRow(0);
  auto* list1 = Child<QListWidget>("List1");
  list1->setFocus();
  {
    // Moved to without a selection, as the keyboard can: nothing opened yet.
    const QSignalBlocker quiet(list1);
    list1->setCurrentRow(1, QItemSelectionModel::NoUpdate);
  }
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(list1, key);
  EXPECT_EQ(Opened(), (QStringList{"http://x.test/b", "http://x.test/b"}));
}

TEST_F(MainWindowTest, ARefusedAddressIsToldAndNothingStarts) {
  components_.fake_list_view->ChooseRow(1);
  EXPECT_EQ(List1Lines(), (QStringList{"c", "d"}));
  auto* list1 = Child<QListWidget>("List1");
  list1->setCurrentRow(0);  // file:///etc/passwd
  EXPECT_TRUE(components_.shell_open->opened().empty());
  auto* notice = Child<QLabel>("Notice");
  EXPECT_TRUE(notice->isVisible());
  EXPECT_FALSE(notice->text().isEmpty());
  list1->setCurrentRow(1);  // ed2k://d
  EXPECT_EQ(Opened(), QStringList{"ed2k://d"});
  EXPECT_FALSE(notice->isVisible());
}

TEST_F(MainWindowTest, LinksOfTheChosenRowStayThroughANewLoad) {
  components_.fake_list_view->ChooseRow(0);
  components_.scripted.QueueReply(ListingReply({}, "0", "0"));
  Child<QAbstractButton>("Command2")->click();
  EXPECT_EQ(window_.ListedRows(), 0);
  EXPECT_EQ(List1Lines(), (QStringList{"a", "b"}));
  Child<QListWidget>("List1")->setCurrentRow(1);
  EXPECT_EQ(Opened(), QStringList{"http://x.test/b"});
}

}  // namespace
}  // namespace quorvel::shell
