#include "client/catalogue/page_fill.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "client/catalogue/listing_service.h"
#include "doubles/client/catalogue/fake_list_view.h"

namespace quorvel::catalogue {
namespace {

using testing::FakeListView;
using testing::Lines;

constexpr std::u16string_view kTwoRecords =
    u"c0\u0002t0\u0002m0\u0002u0\u0002L0\u0002i0\u0001c1\u0002t1\u0002m1\u0002u1\u0002L1\u0002i1"
    u"\u0001?TtbBa?2?1";

struct OrderCase {
  const char* name;
  LoadKind kind;
  Lines first_record_ops;
};

class FillOrderTest : public ::testing::TestWithParam<OrderCase> {};

// Every cell goes to RowCount - 1, read back just before it, and List3 gets
// its line at the kind's place among the cells.
TEST_P(FillOrderTest, OperationsInOrder) {
  FakeListView list;
  Lines list3{u"stale"};
  FillRows(kTwoRecords, GetParam().kind, list, list3);
  const Lines& log = list.log();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.front(), u"ClearRows");
  const std::size_t count = std::min(log.size() - 1, GetParam().first_record_ops.size());
  const Lines first(log.begin() + 1, log.begin() + 1 + static_cast<std::ptrdiff_t>(count));
  EXPECT_EQ(first, GetParam().first_record_ops);
  EXPECT_EQ(list.rows().size(), 2u);
  EXPECT_EQ(list3, (Lines{u"L0", u"L1"}));
  EXPECT_EQ(list.rejected_calls(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, FillOrderTest,
    ::testing::Values(
        OrderCase{"StartUp",
                  LoadKind::kStartUp,
                  {u"RowCount=0", u"AddRow(0,c0)", u"RowCount=1", u"SetCell(0,1,t0)", u"RowCount=1",
                   u"SetCell(0,2,m0)", u"RowCount=1", u"SetCell(0,3,u0)", u"RowCount=1",
                   u"SetCell(0,5,i0)", u"RowCount=1"}},
        OrderCase{"Category",
                  LoadKind::kCategory,
                  {u"RowCount=0", u"AddRow(0,c0)", u"RowCount=1", u"SetCell(0,1,t0)", u"RowCount=1",
                   u"SetCell(0,2,m0)", u"RowCount=1", u"SetCell(0,3,u0)", u"RowCount=1"}},
        OrderCase{"Paging",
                  LoadKind::kPaging,
                  {u"RowCount=0", u"AddRow(0,c0)", u"RowCount=1", u"SetCell(0,1,t0)", u"RowCount=1",
                   u"SetCell(0,2,m0)", u"RowCount=1", u"SetCell(0,3,u0)", u"RowCount=1",
                   u"SetCell(0,4,L0)", u"RowCount=1", u"SetCell(0,5,i0)", u"RowCount=1"}}),
    [](const ::testing::TestParamInfo<OrderCase>& info) { return std::string(info.param.name); });

// The List3 line goes in at the kind's place: probe it with a list that
// looks at List3 while the cells are set.
class List3Probe : public FakeListView {
 public:
  explicit List3Probe(const Lines* list3) : list3_(list3) {}
  void SetCell(int row, int column, std::u16string_view text) override {
    sizes_.push_back(Decimal(column) + u":" + Decimal(static_cast<std::int64_t>(list3_->size())));
    FakeListView::SetCell(row, column, text);
  }
  Lines sizes_;

 private:
  const Lines* list3_;
};

TEST(FillRowsTest, List3LineFollowsTheKindsCell) {
  struct Case {
    LoadKind kind;
    Lines sizes;
  };
  const Case cases[] = {
      {LoadKind::kStartUp, {u"1:0", u"2:0", u"3:0", u"5:1"}},
      {LoadKind::kCategory, {u"1:0", u"2:0", u"3:0"}},
      {LoadKind::kSearch, {u"1:0", u"2:0", u"3:0"}},
      {LoadKind::kPaging, {u"1:0", u"2:0", u"3:0", u"4:0", u"5:0"}},
  };
  for (const Case& c : cases) {
    Lines list3;
    List3Probe list(&list3);
    FillRows(u"a\u0002b\u0002c\u0002d\u0002L\u0002i\u0001", c.kind, list, list3);
    EXPECT_EQ(list.sizes_, c.sizes);
    EXPECT_EQ(list3, Lines{u"L"});
  }
}

TEST(FillRowsTest, ClearRowsRestartsNumbering) {
  FakeListView list;
  Lines list3;
  FillRows(kTwoRecords, LoadKind::kPaging, list, list3);
  list.ClearLog();
  FillRows(kTwoRecords, LoadKind::kPaging, list, list3);
  EXPECT_EQ(list.log()[1], u"RowCount=0");
  EXPECT_EQ(list.log()[2], u"AddRow(0,c0)");
  EXPECT_EQ(list.rows().size(), 2u);
  EXPECT_EQ(list3.size(), 2u);
}

TEST(FillRowsTest, CellsNeverSetStayEmpty) {
  FakeListView list;
  Lines list3;
  FillRows(kTwoRecords, LoadKind::kCategory, list, list3);
  for (const Lines& row : list.rows()) {
    EXPECT_TRUE(row[4].empty());
    EXPECT_TRUE(row[5].empty());
  }
}

// A list that keeps what it is handed keeps the text itself, which outlives
// the fill.
TEST(FillRowsTest, KeptTextsStayIntactAfterTheFill) {
  FakeListView list;
  Lines list3;
  FillRows(kTwoRecords, LoadKind::kPaging, list, list3);
  EXPECT_EQ(list.rows()[0], (Lines{u"c0", u"t0", u"m0", u"u0", u"L0", u"i0"}));
  EXPECT_EQ(list.rows()[1], (Lines{u"c1", u"t1", u"m1", u"u1", u"L1", u"i1"}));
}

// Records past the limit are counted, not listed, and the user is told.
TEST(FillRowsTest, RecordsPastTheRowLimitAreCountedAndTold) {
  FakeListView list;
  Lines list3;
  const FillCount all = FillRows(kTwoRecords, LoadKind::kPaging, list, list3, 2);
  EXPECT_EQ(all.records, 2);
  EXPECT_EQ(all.listed, 2);
  EXPECT_TRUE(RowsLeftOutNotice(all).empty());

  const FillCount cut = FillRows(kTwoRecords, LoadKind::kPaging, list, list3, 1);
  EXPECT_EQ(cut.records, 2);
  EXPECT_EQ(cut.listed, 1);
  ASSERT_EQ(list.rows().size(), 1u);
  EXPECT_EQ(list.rows()[0][1], u"t0");
  EXPECT_EQ(list3, Lines{u"L0"});
  EXPECT_EQ(RowsLeftOutNotice(cut), u"这一页有 2 条记录，只列出了前 1 条。");
  EXPECT_GE(kMaxListedRows, 100000);
}

TEST(PrepareListColumnsTest, SixColumnsInOrderThenSettings) {
  FakeListView list;
  PrepareListColumns(list);
  EXPECT_EQ(list.log(),
            (Lines{u"PrepareView", u"AddColumn(0,外挂分类,90)", u"AddColumn(1,外挂标题,233)",
                   u"AddColumn(2,授权方式,90)", u"AddColumn(3,更新时间,140)",
                   u"AddColumn(4,下载地址,0)", u"AddColumn(5,id,0)", u"ApplyDisplaySettings"}));
}

}  // namespace
}  // namespace quorvel::catalogue
