#include "doubles/client/catalogue/listing_page_reader.h"

#include <gtest/gtest.h>

#include "client/catalogue/reply_text.h"
#include "reply_builder.h"

namespace quorvel::catalogue {
namespace {

using testing::Lines;
using testing::ListingPage;
using testing::ReadListingPage;
using testing::Record;
using testing::Records;
using testing::Reply;
using testing::U;

ListingPage Read(std::string_view reply, LoadKind kind, PagingStep step = PagingStep::kNext,
                 std::int32_t page_no = 1, std::u16string_view suffix = {}) {
  const std::u16string text = DecodeReply(reply);
  PageLoad load;
  load.kind = kind;
  load.step = step;
  load.page_no = page_no;
  load.counter_suffix = suffix;
  return ReadListingPage(text, load);
}

// Which columns each kind writes after the row text.
struct KindCase {
  const char* name;
  LoadKind kind;
  std::array<bool, 6> written;
  const char16_t* counter;
};

class KindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(KindTest, TwoRecordsGiveTwoRowsWithTheKindsCells) {
  const KindCase& c = GetParam();
  const ListingPage page = Read(Reply(Records(2), "2?1"), c.kind, PagingStep::kNext, 2);
  ASSERT_EQ(page.rows.size(), 2u);
  for (int r = 0; r < 2; ++r) {
    const testing::Fields record = Record(r);
    for (std::size_t col = 0; col < 6; ++col) {
      EXPECT_EQ(page.rows[r][col], c.written[col] ? U(record[col]) : std::u16string())
          << "row " << r << " column " << col;
    }
  }
  EXPECT_EQ(page.list3, (Lines{U(Record(0)[4]), U(Record(1)[4])}));
  ASSERT_TRUE(page.outcome.counter_text.has_value());
  EXPECT_EQ(*page.outcome.counter_text, c.counter);
  EXPECT_EQ(page.outcome.page_count, 1);
  EXPECT_EQ(page.outcome.fault, ListingTrailer::Fault::kNone);
}

TEST_P(KindTest, RecordWithFewerFieldsKeepsList3LineForLine) {
  const ListingPage page = Read(Reply({{"a", "b"}, Record(1), {"only"}}, "3?1"), GetParam().kind);
  ASSERT_EQ(page.rows.size(), 3u);
  ASSERT_EQ(page.list3.size(), 3u);
  EXPECT_EQ(page.list3[0], u"");
  EXPECT_EQ(page.list3[1], U(Record(1)[4]));
  EXPECT_EQ(page.list3[2], u"");
  EXPECT_EQ(page.rows[0][0], u"a");
  EXPECT_EQ(page.rows[0][1], u"b");
  EXPECT_EQ(page.rows[2][0], u"only");
}

TEST_P(KindTest, LastRecordWithoutSeparatorIsNotListed) {
  std::string reply = Reply(Records(2), "");
  reply.resize(reply.size() - std::string_view("?TtbBa?").size());
  reply += "c9\x02t9?TtbBa?3?2";
  const ListingPage page = Read(reply, GetParam().kind);
  EXPECT_EQ(page.rows.size(), 2u);
  EXPECT_EQ(page.list3.size(), 2u);
  EXPECT_EQ(page.outcome.page_count, 2);
}

TEST_P(KindTest, EntryCountShownAsSentWhateverTheRows) {
  const ListingPage page = Read(Reply(Records(1), " 1 000 ?5"), GetParam().kind);
  ASSERT_TRUE(page.outcome.counter_text.has_value());
  EXPECT_NE(page.outcome.counter_text->find(u" 1 000 "), std::u16string::npos);
}

TEST_P(KindTest, NoRowsButValidTrailer) {
  const ListingPage page = Read(Reply({}, "0?0"), GetParam().kind);
  EXPECT_TRUE(page.rows.empty());
  EXPECT_TRUE(page.list3.empty());
  ASSERT_TRUE(page.outcome.counter_text.has_value());
}

TEST_P(KindTest, ManyRowsBeyondSixteenBits) {
  const int count = 40000;
  std::u16string text;
  for (int i = 0; i < count; ++i) text += u"c\u0002t\u0002m\u0002u\u0002l\u0002i\u0001";
  text += u"?TtbBa?40000?1";
  PageLoad load;
  load.kind = GetParam().kind;
  const ListingPage page = ReadListingPage(text, load);
  EXPECT_EQ(page.rows.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(page.list3.size(), static_cast<std::size_t>(count));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, KindTest,
    ::testing::Values(
        KindCase{"StartUp",
                 LoadKind::kStartUp,
                 {true, true, true, true, false, true},
                 u"Quorvel共有 2 个外挂"},
        KindCase{
            "Category", LoadKind::kCategory, {true, true, true, true, false, false}, u"当前有 2"},
        KindCase{
            "Search", LoadKind::kSearch, {true, true, true, true, false, false}, u"搜索到 2 结果"},
        KindCase{
            "Paging", LoadKind::kPaging, {true, true, true, true, true, true}, u"当页共有 2 外挂"}),
    [](const ::testing::TestParamInfo<KindCase>& info) { return std::string(info.param.name); });

TEST(ListingPageTest, CategoryUsesTheButtonsSuffix) {
  const ListingPage page =
      Read(Reply(Records(1), "5?2"), LoadKind::kCategory, PagingStep::kNext, 1, u" 个穿越火线外挂");
  EXPECT_EQ(page.outcome.counter_text, u"当前有 5 个穿越火线外挂");
}

// Page buttons after the first page of start-up, category and search.
struct FirstPageCase {
  const char* trailer;
  bool hou;
};

class FirstPageButtonsTest : public ::testing::TestWithParam<std::tuple<LoadKind, FirstPageCase>> {
};

TEST_P(FirstPageButtonsTest, QianOffAndHouByPageCount) {
  const auto [kind, c] = GetParam();
  const ListingPage page = Read(Reply(Records(1), c.trailer), kind);
  ASSERT_TRUE(page.outcome.buttons.has_value());
  EXPECT_FALSE(page.outcome.buttons->qian_enabled);
  EXPECT_EQ(page.outcome.buttons->hou_enabled, c.hou);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstPageButtonsTest,
    ::testing::Combine(
        ::testing::Values(LoadKind::kStartUp, LoadKind::kCategory, LoadKind::kSearch),
        ::testing::Values(FirstPageCase{"9?0", false}, FirstPageCase{"9?1", false},
                          FirstPageCase{"9?2", true}, FirstPageCase{"9?77", true},
                          FirstPageCase{"9?-1", true}, FirstPageCase{"9? 2 ?extra", true})));

TEST(ListingPageTest, StartUpWithoutMarkerKeepsCounterAndDisablesButtons) {
  const ListingPage page = Read(
      "a\x02"
      "b\x01rest 3?4",
      LoadKind::kStartUp);
  EXPECT_EQ(page.rows.size(), 1u);
  EXPECT_FALSE(page.outcome.counter_text.has_value());
  EXPECT_EQ(page.outcome.buttons, (PageButtons{false, false}));
  EXPECT_EQ(page.outcome.fault, ListingTrailer::Fault::kNoMarker);
}

TEST(ListingPageTest, StartUpWithUnreadablePageCountDisablesBoth) {
  for (const char* trailer : {"4", "4?", "4?many"}) {
    const ListingPage page = Read(Reply(Records(1), trailer), LoadKind::kStartUp);
    EXPECT_EQ(page.outcome.counter_text, u"Quorvel共有 4 个外挂") << trailer;
    EXPECT_EQ(page.outcome.buttons, (PageButtons{false, false})) << trailer;
  }
}

TEST(ListingPageTest, CategoryAndSearchStopAtAFaultyTrailer) {
  for (const LoadKind kind : {LoadKind::kCategory, LoadKind::kSearch}) {
    const ListingPage no_marker = Read("a\x01x?1", kind);
    EXPECT_EQ(no_marker.rows.size(), 1u);
    EXPECT_FALSE(no_marker.outcome.counter_text.has_value());
    EXPECT_FALSE(no_marker.outcome.buttons.has_value());

    const ListingPage no_pages = Read(Reply(Records(1), "8"), kind);
    EXPECT_TRUE(no_pages.outcome.counter_text.has_value());
    EXPECT_FALSE(no_pages.outcome.buttons.has_value());
    EXPECT_EQ(no_pages.outcome.fault, ListingTrailer::Fault::kNoPageCount);

    const ListingPage bad_pages = Read(Reply(Records(1), "8?two"), kind);
    EXPECT_TRUE(bad_pages.outcome.counter_text.has_value());
    EXPECT_FALSE(bad_pages.outcome.buttons.has_value());
    EXPECT_EQ(bad_pages.outcome.fault, ListingTrailer::Fault::kPageCountNotANumber);
  }
}

struct PagingCase {
  const char* name;
  PagingStep step;
  std::int32_t page_no;
  const char* trailer;
  PageButtons buttons;
};

class PagingButtonsTest : public ::testing::TestWithParam<PagingCase> {};

TEST_P(PagingButtonsTest, ByEquality) {
  const PagingCase& c = GetParam();
  const ListingPage page = Read(Reply(Records(1), c.trailer), LoadKind::kPaging, c.step, c.page_no);
  EXPECT_EQ(page.outcome.buttons, c.buttons);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PagingButtonsTest,
    ::testing::Values(
        PagingCase{"next_middle", PagingStep::kNext, 2, "9?3", {true, true}},
        PagingCase{"next_last", PagingStep::kNext, 3, "9?3", {true, false}},
        PagingCase{"next_past_last", PagingStep::kNext, 4, "9?3", {true, true}},
        PagingCase{"next_count_zero", PagingStep::kNext, 2, "9?0", {true, true}},
        PagingCase{"next_count_unreadable", PagingStep::kNext, 2, "9?x", {true, true}},
        PagingCase{"next_no_page_part", PagingStep::kNext, 2, "9", {true, true}},
        PagingCase{"previous_to_first", PagingStep::kPrevious, 1, "9?1", {false, true}},
        PagingCase{"previous_middle", PagingStep::kPrevious, 2, "9?3", {true, true}}),
    [](const ::testing::TestParamInfo<PagingCase>& info) { return std::string(info.param.name); });

TEST(ListingPageTest, PagingWithoutMarkerReadsTheWholeText) {
  const ListingPage page = Read(
      "a\x02"
      "b\x01tail?2?9",
      LoadKind::kPaging, PagingStep::kNext, 2);
  EXPECT_EQ(page.rows.size(), 1u);
  EXPECT_EQ(page.outcome.counter_text, u"当页共有 a\u0002b\u0001tail 外挂");
  EXPECT_EQ(page.outcome.page_count, 2);
  EXPECT_EQ(page.outcome.buttons, (PageButtons{true, false}));
  EXPECT_EQ(page.outcome.fault, ListingTrailer::Fault::kNoMarker);
}

}  // namespace
}  // namespace quorvel::catalogue
