#include "client/catalogue/qt/list_table_model.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

class ListTableModelTest : public ::testing::Test {
 protected:
  ListTableModelTest() : tester_(&model_, QAbstractItemModelTester::FailureReportingMode::Fatal) {
    for (int c = 0; c < 6; ++c) model_.InsertColumn(c, QStringLiteral("h%1").arg(c));
  }

  ListTableModel model_;
  QAbstractItemModelTester tester_;
};

TEST_F(ListTableModelTest, StoredRowsCountAtOnceViewsHearInOneBatch) {
  QSignalSpy inserted(&model_, &QAbstractItemModel::rowsInserted);
  for (int r = 0; r < 100; ++r) {
    ASSERT_TRUE(model_.InsertRow(model_.StoredRowCount(), QStringLiteral(u"row%1").arg(r)));
    EXPECT_EQ(model_.StoredRowCount(), r + 1);
    ASSERT_TRUE(model_.SetCellText(model_.StoredRowCount() - 1, 1, QStringLiteral(u"t%1").arg(r)));
  }
  EXPECT_EQ(model_.rowCount(), 0);
  EXPECT_EQ(inserted.count(), 0);
  QCoreApplication::processEvents();
  EXPECT_EQ(model_.rowCount(), 100);
  ASSERT_EQ(inserted.count(), 1);
  EXPECT_EQ(inserted[0][1].toInt(), 0);
  EXPECT_EQ(inserted[0][2].toInt(), 99);
  EXPECT_EQ(model_.data(model_.index(42, 0)).toString(), "row42");
  EXPECT_EQ(model_.data(model_.index(42, 1)).toString(), "t42");
  EXPECT_EQ(model_.data(model_.index(42, 5)).toString(), "");
}

// A huge cell shows its beginning and an ellipsis; the whole text is kept.
TEST_F(ListTableModelTest, ACellShowsAtMostItsCapAndKeepsTheWholeText) {
  const qsizetype cap = ListTableModel::kShownCharacters;
  const QString fits(cap, QChar('a'));
  const QString huge = QString(cap - 2, QChar('b')) + QChar(0xD83D) + QChar(0xDE00) + "tail";
  model_.InsertRow(0, fits);
  model_.SetCellText(0, 1, huge);
  model_.CommitRows();
  EXPECT_EQ(model_.data(model_.index(0, 0)).toString(), fits);
  const QString shown = model_.data(model_.index(0, 1)).toString();
  EXPECT_EQ(shown, QString(cap - 2, QChar('b')) + QChar(0x2026));
  EXPECT_EQ(model_.data(model_.index(0, 1), Qt::AccessibleTextRole).toString(), shown);
  EXPECT_EQ(model_.CellText(0, 1), huge);
}

TEST_F(ListTableModelTest, ChangedCellsOfShownRowsAreAnnouncedOnce) {
  model_.InsertRow(0, u"a");
  model_.InsertRow(1, u"b");
  model_.CommitRows();
  QSignalSpy changed(&model_, &QAbstractItemModel::dataChanged);
  model_.SetCellText(0, 2, u"x");
  model_.SetCellText(1, 3, u"y");
  model_.CommitRows();
  ASSERT_EQ(changed.count(), 1);
  EXPECT_EQ(changed[0][0].value<QModelIndex>().row(), 0);
  EXPECT_EQ(changed[0][1].value<QModelIndex>().row(), 1);
  EXPECT_EQ(model_.CellText(1, 3), "y");
}

TEST_F(ListTableModelTest, ClearRowsRestartsAtZero) {
  model_.InsertRow(0, u"a");
  model_.CommitRows();
  model_.InsertRow(1, u"pending");
  model_.ClearRows();
  EXPECT_EQ(model_.StoredRowCount(), 0);
  EXPECT_EQ(model_.rowCount(), 0);
  EXPECT_TRUE(model_.InsertRow(0, u"new"));
  model_.CommitRows();
  EXPECT_EQ(model_.rowCount(), 1);
  EXPECT_EQ(model_.CellText(0, 0), "new");
}

TEST_F(ListTableModelTest, OutOfRangeCallsChangeNothing) {
  EXPECT_FALSE(model_.InsertRow(1, u"gap"));
  EXPECT_FALSE(model_.InsertRow(-1, u"negative"));
  EXPECT_FALSE(model_.SetCellText(0, 1, u"no row"));
  model_.InsertRow(0, u"a");
  EXPECT_FALSE(model_.SetCellText(0, 6, u"no column"));
  EXPECT_FALSE(model_.SetCellText(-1, 1, u"negative"));
  EXPECT_EQ(model_.StoredRowCount(), 1);
  EXPECT_EQ(model_.CellText(5, 5), QString());
}

TEST_F(ListTableModelTest, RowInsertedInsideTheTableTakesItsPlace) {
  model_.InsertRow(0, u"a");
  model_.InsertRow(1, u"c");
  model_.InsertRow(1, u"b");
  EXPECT_EQ(model_.rowCount(), 3);
  EXPECT_EQ(model_.CellText(0, 0), "a");
  EXPECT_EQ(model_.CellText(1, 0), "b");
  EXPECT_EQ(model_.CellText(2, 0), "c");
}

TEST_F(ListTableModelTest, OverwrittenCellShowsTheLastText) {
  model_.InsertRow(0, u"a");
  model_.SetCellText(0, 1, u"first");
  model_.SetCellText(0, 1, u"second, longer");
  model_.SetCellText(0, 1, u"");
  EXPECT_EQ(model_.CellText(0, 1), "");
  model_.SetCellText(0, 1, u"third");
  EXPECT_EQ(model_.CellText(0, 1), "third");
}

TEST_F(ListTableModelTest, NetworkTextIsPlainDataOnly) {
  model_.InsertRow(0, u"<b>bold</b><img src=x>");
  model_.CommitRows();
  const QModelIndex cell = model_.index(0, 0);
  EXPECT_EQ(model_.data(cell).toString(), "<b>bold</b><img src=x>");
  EXPECT_FALSE(model_.data(cell, Qt::ToolTipRole).isValid());
  EXPECT_FALSE(model_.data(cell, Qt::DecorationRole).isValid());
  EXPECT_FALSE(model_.flags(cell).testFlag(Qt::ItemIsEditable));
}

TEST_F(ListTableModelTest, HeadersAreTheColumnCaptions) {
  EXPECT_EQ(model_.columnCount(), 6);
  EXPECT_EQ(model_.headerData(0, Qt::Horizontal).toString(), "h0");
  EXPECT_EQ(model_.headerData(5, Qt::Horizontal).toString(), "h5");
}

TEST(ListTableModelColumnsTest, ColumnAddedLaterKeepsTheCells) {
  ListTableModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  model.InsertRow(0, u"row text");
  model.InsertColumn(0, "first");
  model.InsertColumn(1, "third");
  model.InsertColumn(1, "second");
  model.SetCellText(0, 2, u"cell");
  EXPECT_EQ(model.CellText(0, 0), "row text");
  EXPECT_EQ(model.CellText(0, 1), "");
  EXPECT_EQ(model.CellText(0, 2), "cell");
  EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "third");
}

TEST(ListTableModelColumnsTest, ManyRowsWithTesterAttached) {
  ListTableModel model;
  QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
  for (int c = 0; c < 6; ++c) model.InsertColumn(c, "h");
  for (int r = 0; r < 40000; ++r) {
    model.InsertRow(model.StoredRowCount(), u"c");
    model.SetCellText(model.StoredRowCount() - 1, 5, QString::number(r));
  }
  model.CommitRows();
  EXPECT_EQ(model.rowCount(), 40000);
  EXPECT_EQ(model.CellText(39999, 5), "39999");
  model.ClearRows();
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
}  // namespace quorvel::catalogue
