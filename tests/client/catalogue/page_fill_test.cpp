#include "client/catalogue/page_fill.h"

#include <gtest/gtest.h>

#include "client/catalogue/listing_service.h"
#include "doubles/client/catalogue/fake_list_view.h"

namespace quorvel::catalogue {
namespace {

using testing::FakeListView;

const QString kTwoRecords = QStringLiteral(
    "c0\u0002t0\u0002m0\u0002u0\u0002L0\u0002i0\u0001c1\u0002t1\u0002m1\u0002u1\u0002L1\u0002i1"
    "\u0001?TtbBa?2?1");

struct OrderCase {
  const char* name;
  LoadKind kind;
  QStringList first_record_ops;
};

class FillOrderTest : public ::testing::TestWithParam<OrderCase> {};

// Every cell goes to RowCount - 1, read back just before it, and List3 gets
// its line at the kind's place among the cells.
TEST_P(FillOrderTest, OperationsInOrder) {
  FakeListView list;
  QStringList list3{"stale"};
  FillRows(kTwoRecords, GetParam().kind, list, list3);
  const QStringList& log = list.log();
  ASSERT_FALSE(log.isEmpty());
  EXPECT_EQ(log.first(), "ClearRows");
  const QStringList first = log.mid(1, GetParam().first_record_ops.size());
  EXPECT_EQ(first, GetParam().first_record_ops);
  EXPECT_EQ(list.rows().size(), 2u);
  EXPECT_EQ(list3, (QStringList{"L0", "L1"}));
  EXPECT_EQ(list.rejected_calls(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FillOrderTest,
    ::testing::Values(
        OrderCase{"StartUp",
                  LoadKind::kStartUp,
                  {"RowCount=0", "AddRow(0,c0)", "RowCount=1", "SetCell(0,1,t0)", "RowCount=1",
                   "SetCell(0,2,m0)", "RowCount=1", "SetCell(0,3,u0)", "RowCount=1",
                   "SetCell(0,5,i0)", "RowCount=1"}},
        OrderCase{"Category",
                  LoadKind::kCategory,
                  {"RowCount=0", "AddRow(0,c0)", "RowCount=1", "SetCell(0,1,t0)", "RowCount=1",
                   "SetCell(0,2,m0)", "RowCount=1", "SetCell(0,3,u0)", "RowCount=1"}},
        OrderCase{"Paging",
                  LoadKind::kPaging,
                  {"RowCount=0", "AddRow(0,c0)", "RowCount=1", "SetCell(0,1,t0)", "RowCount=1",
                   "SetCell(0,2,m0)", "RowCount=1", "SetCell(0,3,u0)", "RowCount=1",
                   "SetCell(0,4,L0)", "RowCount=1", "SetCell(0,5,i0)", "RowCount=1"}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

// The List3 line goes in at the kind's place: probe it with a list that
// looks at List3 while the cells are set.
class List3Probe : public FakeListView {
 public:
  explicit List3Probe(const QStringList* list3) : list3_(list3) {}
  void SetCell(int row, int column, const QString& text) override {
    sizes_.append(QStringLiteral("%1:%2").arg(column).arg(list3_->size()));
    FakeListView::SetCell(row, column, text);
  }
  QStringList sizes_;

 private:
  const QStringList* list3_;
};

TEST(FillRowsTest, List3LineFollowsTheKindsCell) {
  struct Case {
    LoadKind kind;
    QStringList sizes;
  };
  const Case cases[] = {
      {LoadKind::kStartUp, {"1:0", "2:0", "3:0", "5:1"}},
      {LoadKind::kCategory, {"1:0", "2:0", "3:0"}},
      {LoadKind::kSearch, {"1:0", "2:0", "3:0"}},
      {LoadKind::kPaging, {"1:0", "2:0", "3:0", "4:0", "5:0"}},
  };
  for (const Case& c : cases) {
    QStringList list3;
    List3Probe list(&list3);
    FillRows(QStringLiteral("a\u0002b\u0002c\u0002d\u0002L\u0002i\u0001"), c.kind, list, list3);
    EXPECT_EQ(list.sizes_, c.sizes);
    EXPECT_EQ(list3, QStringList{"L"});
  }
}

TEST(FillRowsTest, ClearRowsRestartsNumbering) {
  FakeListView list;
  QStringList list3;
  FillRows(kTwoRecords, LoadKind::kPaging, list, list3);
  list.ClearLog();
  FillRows(kTwoRecords, LoadKind::kPaging, list, list3);
  EXPECT_EQ(list.log()[1], "RowCount=0");
  EXPECT_EQ(list.log()[2], "AddRow(0,c0)");
  EXPECT_EQ(list.rows().size(), 2u);
  EXPECT_EQ(list3.size(), 2);
}

TEST(FillRowsTest, CellsNeverSetStayEmpty) {
  FakeListView list;
  QStringList list3;
  FillRows(kTwoRecords, LoadKind::kCategory, list, list3);
  for (const QStringList& row : list.rows()) {
    EXPECT_TRUE(row[4].isEmpty());
    EXPECT_TRUE(row[5].isEmpty());
  }
}

// A list that keeps what it is handed must keep the text, not the scratch
// buffer the fill reuses.
TEST(FillRowsTest, KeptTextsStayIntactAfterTheFill) {
  FakeListView list;
  QStringList list3;
  FillRows(kTwoRecords, LoadKind::kPaging, list, list3);
  EXPECT_EQ(list.rows()[0], (QStringList{"c0", "t0", "m0", "u0", "L0", "i0"}));
  EXPECT_EQ(list.rows()[1], (QStringList{"c1", "t1", "m1", "u1", "L1", "i1"}));
}

// Records past the limit are counted, not listed, and the user is told.
TEST(FillRowsTest, RecordsPastTheRowLimitAreCountedAndTold) {
  FakeListView list;
  QStringList list3;
  const FillCount all = FillRows(kTwoRecords, LoadKind::kPaging, list, list3, 2);
  EXPECT_EQ(all.records, 2);
  EXPECT_EQ(all.listed, 2);
  EXPECT_TRUE(RowsLeftOutNotice(all).isEmpty());

  const FillCount cut = FillRows(kTwoRecords, LoadKind::kPaging, list, list3, 1);
  EXPECT_EQ(cut.records, 2);
  EXPECT_EQ(cut.listed, 1);
  ASSERT_EQ(list.rows().size(), 1u);
  EXPECT_EQ(list.rows()[0][1], "t0");
  EXPECT_EQ(list3, QStringList{"L0"});
  EXPECT_EQ(RowsLeftOutNotice(cut), QStringLiteral("这一页有 2 条记录，只列出了前 1 条。"));
  EXPECT_GE(kMaxListedRows, 100000);
}

TEST(PrepareListColumnsTest, SixColumnsInOrderThenSettings) {
  FakeListView list;
  PrepareListColumns(list);
  EXPECT_EQ(list.log(),
            (QStringList{"PrepareView", "AddColumn(0,外挂分类,90)", "AddColumn(1,外挂标题,233)",
                         "AddColumn(2,授权方式,90)", "AddColumn(3,更新时间,140)",
                         "AddColumn(4,下载地址,0)", "AddColumn(5,id,0)", "ApplyDisplaySettings"}));
}

}  // namespace
}  // namespace quorvel::catalogue
