#include "client/catalogue/qt/qt_list_view.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

#include "client/catalogue/browsing_session.h"
#include "client/catalogue/listing_service.h"
#include "client/catalogue/text16.h"
#include "doubles/client/catalogue/recording_shell_open.h"
#include "doubles/client/catalogue/scripted_transfer.h"
#include "reply_builder.h"

namespace quorvel::catalogue {
namespace {

using testing::Record;
using testing::Records;
using testing::Reply;

class QtListViewTest : public ::testing::Test {
 protected:
  QtListViewTest() {
    view_.resize(570, 360);
    PrepareListColumns(view_);
    view_.SetRowChosenHandler([this](int row) { chosen_.push_back(row); });
  }

  void Fill(int rows) {
    view_.ClearRows();
    for (int r = 0; r < rows; ++r) {
      view_.AddRow(view_.RowCount(), u"c" + Decimal(r));
      view_.SetCell(view_.RowCount() - 1, 1, u"t" + Decimal(r));
    }
    view_.CommitPendingRows();
  }

  void ShowAndWait() {
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
  }

  QPoint RowPoint(int row) { return view_.visualRect(view_.table()->index(row, 1)).center(); }

  QtListView view_;
  std::vector<int> chosen_;
};

TEST_F(QtListViewTest, SixColumnsWithTheirCaptionsAndWidths) {
  ASSERT_EQ(view_.table()->columnCount(), 6);
  const int widths[] = {90, 233, 90, 140, 0, 0};
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(view_.header()->sectionSize(c), widths[c]) << c;
    EXPECT_EQ(view_.table()->headerData(c, Qt::Horizontal).toString(),
              QStringView(kListColumns[static_cast<std::size_t>(c)].caption).toString());
    EXPECT_FALSE(view_.header()->isSectionHidden(c));
  }
  EXPECT_TRUE(view_.uniformRowHeights());
  EXPECT_FALSE(view_.header()->stretchLastSection());
}

TEST_F(QtListViewTest, ColumnWidthsHoldThroughAStyleChange) {
  // As the skin does it, after the columns are made.
  view_.setStyleSheet(QStringLiteral("QHeaderView::section { padding: 2px 4px; }"));
  ShowAndWait();
  const int widths[] = {90, 233, 90, 140, 0, 0};
  for (int c = 0; c < 6; ++c) EXPECT_EQ(view_.header()->sectionSize(c), widths[c]) << c;
}

TEST_F(QtListViewTest, RowCountCountsARowAddedByThePreviousCall) {
  EXPECT_EQ(view_.RowCount(), 0);
  view_.AddRow(0, u"a");
  EXPECT_EQ(view_.RowCount(), 1);
  view_.SetCell(view_.RowCount() - 1, 5, u"id");
  view_.AddRow(view_.RowCount(), u"b");
  EXPECT_EQ(view_.RowCount(), 2);
  view_.ClearRows();
  EXPECT_EQ(view_.RowCount(), 0);
  view_.AddRow(view_.RowCount(), u"again");
  view_.CommitPendingRows();
  EXPECT_EQ(view_.table()->CellText(0, 0), "again");
  EXPECT_EQ(view_.table()->CellText(0, 4), "");
  EXPECT_EQ(view_.table()->CellText(0, 5), "");
}

TEST_F(QtListViewTest, MouseClickChoosesARowOnce) {
  Fill(10);
  ShowAndWait();
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(3));
  EXPECT_EQ(chosen_, std::vector<int>{3});
  // Choosing the row already current raises the event again.
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(3));
  EXPECT_EQ(chosen_, (std::vector<int>{3, 3}));
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(7));
  EXPECT_EQ(chosen_, (std::vector<int>{3, 3, 7}));
}

TEST_F(QtListViewTest, KeyboardMovesChooseEachRowPassed) {
  Fill(10);
  ShowAndWait();
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
  view_.setFocus();
  QTest::keyClick(&view_, Qt::Key_Down);
  QTest::keyClick(&view_, Qt::Key_Down);
  QTest::keyClick(&view_, Qt::Key_Up);
  QTest::keyClick(&view_, Qt::Key_End);
  EXPECT_EQ(chosen_, (std::vector<int>{0, 1, 2, 1, 9}));
}

TEST_F(QtListViewTest, ProgramMovesChooseNothing) {
  Fill(5);
  ShowAndWait();
  view_.setCurrentIndex(view_.table()->index(2, 0));
  view_.ClearRows();
  Fill(5);
  EXPECT_TRUE(chosen_.empty());
}

TEST_F(QtListViewTest, UserCanWidenTheHiddenColumns) {
  Fill(3);
  ShowAndWait();
  QHeaderView* header = view_.header();
  const int edge = header->sectionViewportPosition(3) + header->sectionSize(3);
  const int y = header->height() / 2;
  QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge + 1, y));
  QTest::mouseMove(header->viewport(), QPoint(edge + 30, y));
  QTest::mouseMove(header->viewport(), QPoint(edge + 60, y));
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(edge + 60, y));
  EXPECT_EQ(header->sectionSize(3), 140);
  EXPECT_GT(header->sectionSize(4) + header->sectionSize(5), 0);
}

// A screen reader reads rows, each as the cells a user can see: the links
// and the id in their zero-width columns stay unread until widened.
TEST_F(QtListViewTest, ScreenReadersReadWholeRowsOfTheVisibleColumns) {
  view_.AddRow(0, u"CF");
  const std::u16string_view cells[] = {u"title", u"free", u"2014-06-30", u"a/*/http://x.test/a/**/",
                                       u"7"};
  for (int c = 1; c <= 5; ++c) view_.SetCell(0, c, cells[c - 1]);
  view_.AddRow(1, u"QQ");
  view_.CommitPendingRows();
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&view_);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->role(), QAccessible::List);
  ASSERT_EQ(list->childCount(), 2);
  QAccessibleInterface* row = list->child(0);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->role(), QAccessible::ListItem);
  EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("CF, title, free, 2014-06-30"));
  EXPECT_EQ(list->indexOfChild(list->child(1)), 1);
  view_.header()->resizeSection(5, 30);
  EXPECT_EQ(row->text(QAccessible::Name), QStringLiteral("CF, title, free, 2014-06-30, 7"));
  view_.ClearRows();
  view_.CommitPendingRows();
  EXPECT_FALSE(row->isValid());
  EXPECT_EQ(list->childCount(), 0);
}

TEST_F(QtListViewTest, SessionFillsTheRealList) {
  testing::ScriptedTransfer transfer;
  testing::RecordingShellOpen shell;
  BrowsingSession session(transfer, view_, shell, u"/tmp");
  session.SetServerUrl(u"http://127.0.0.1:1/adminphp/");
  transfer.QueueReply(Reply(Records(3), "3?1"));
  session.StartUpLoad();
  view_.CommitPendingRows();
  ListTableModel* table = view_.table();
  ASSERT_EQ(table->rowCount(), 3);
  for (int r = 0; r < 3; ++r) {
    const testing::Fields record = Record(r);
    EXPECT_EQ(table->CellText(r, 0), QString::fromStdString(record[0]));
    EXPECT_EQ(table->CellText(r, 1), QString::fromStdString(record[1]));
    EXPECT_EQ(table->CellText(r, 4), "");
    EXPECT_EQ(table->CellText(r, 5), QString::fromStdString(record[5]));
  }
  transfer.QueueReply(Reply({Record(9)}, "1?2"));
  session.NextPage();
  QCoreApplication::processEvents();
  ASSERT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->CellText(0, 4), QString::fromStdString(Record(9)[4]));

  // Choosing the row in the window shows its links.
  view_.SetRowChosenHandler([&](int row) { session.RowChosen(row); });
  ShowAndWait();
  QTest::mouseClick(view_.viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
  EXPECT_EQ(session.List1(), std::vector<std::u16string>{u"n9"});
}

TEST_F(QtListViewTest, NoHorizontalScrollBarAtTheDesignedSize) {
  // The list as the window has it: 553 by 357 pixels, a page of twenty rows.
  view_.resize(553, 357);
  Fill(20);
  ShowAndWait();
  QCoreApplication::processEvents();
  EXPECT_EQ(view_.header()->length(), 553);
  EXPECT_GE(view_.viewport()->width(), view_.header()->length());
  EXPECT_FALSE(view_.horizontalScrollBar()->isVisible());
  // A column widened past the edge brings the scroll bar to reach it; the
  // view lays itself out again when its event loop next turns.
  const auto scroll_bar_shown = [&](bool shown) {
    for (int i = 0; i < 100 && view_.horizontalScrollBar()->isVisible() != shown; ++i) {
      QTest::qWait(5);
    }
    return view_.horizontalScrollBar()->isVisible() == shown;
  };
  view_.header()->resizeSection(4, 120);
  EXPECT_TRUE(scroll_bar_shown(true));
  view_.header()->resizeSection(4, 0);
  EXPECT_TRUE(scroll_bar_shown(false));
}

TEST_F(QtListViewTest, HeaderCaptionsSitAlikeBeforeAndAfterLoads) {
  view_.resize(553, 357);
  ShowAndWait();
  const auto header_image = [&] {
    QCoreApplication::processEvents();
    return view_.header()->grab().toImage();
  };
  const QImage at_start_up = header_image();
  for (int c = 0; c < 6; ++c) {
    EXPECT_EQ(view_.table()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
              static_cast<int>(Qt::AlignCenter))
        << c;
  }
  Fill(20);
  EXPECT_EQ(header_image(), at_start_up);
  Fill(3);
  EXPECT_EQ(header_image(), at_start_up);
  view_.ClearRows();
  EXPECT_EQ(header_image(), at_start_up);
}

TEST_F(QtListViewTest, PaintsAFullPage) {
  Fill(2000);
  const QImage image = view_.grab().toImage();
  EXPECT_EQ(image.width(), 570);
  // Something other than the white ground was drawn: text and grid lines.
  bool drawn = false;
  for (int y = 40; y < image.height() && !drawn; y += 3) {
    for (int x = 5; x < 300 && !drawn; ++x) drawn = image.pixelColor(x, y) != QColor(Qt::white);
  }
  EXPECT_TRUE(drawn);
}

}  // namespace
}  // namespace quorvel::catalogue
