#include "client/catalogue/browsing_session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "client/catalogue/category_table.h"
#include "session_fixture.h"

namespace quorvel::catalogue {
namespace {

// The term as the service must receive it: UTF-8, every byte outside ASCII
// in percent form with upper-case digits.
std::u16string PercentEncoded(std::u16string_view term) {
  std::u16string encoded;
  for (const char byte : encoding::Utf16ToUtf8(term)) {
    const auto b = static_cast<unsigned char>(byte);
    if (b < 0x80) {
      encoded.push_back(b);
      continue;
    }
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    encoded += {u'%', kDigits[b >> 4], kDigits[b & 15]};
  }
  return encoded;
}

using testing::Contains;
using testing::kFolder;
using testing::kScript;
using testing::kServer;
using testing::Lines;
using testing::Record;
using testing::Records;
using testing::Reply;
using testing::SessionTest;
using testing::U;
using Failure = TransferResult::Failure;

TEST_F(SessionTest, StartUpListsPageOne) {
  transfer_.QueueReply(Reply(Records(2), "2?1"));
  session_.StartUpLoad();
  EXPECT_EQ(transfer_.addresses(), Lines{kScript + u"page=1"});
  EXPECT_EQ(session_.ServerUrl(), kServer);
  EXPECT_EQ(session_.ScriptName(), u"admin_upload.php?");
  EXPECT_EQ(session_.PageNo(), 1);
  EXPECT_EQ(session_.ReplyBytes(), Reply(Records(2), "2?1"));
  EXPECT_EQ(Column(0), (Lines{u"c0", u"c1"}));
  EXPECT_EQ(Column(3), (Lines{u"u0", u"u1"}));
  EXPECT_EQ(Column(4), (Lines{u"", u""}));
  EXPECT_EQ(Column(5), (Lines{u"id0", u"id1"}));
  EXPECT_EQ(session_.List3(), (Lines{U(Record(0)[4]), U(Record(1)[4])}));
  EXPECT_EQ(session_.CounterText(), u"Quorvel共有 2 个外挂");
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_FALSE(session_.HouEnabled());
  EXPECT_TRUE(session_.Notice().empty());
}

TEST_F(SessionTest, StartUpFailureLeavesDesignTimeState) {
  transfer_.QueueFailure(Failure::kRefused, u"服务器拒绝了连接。");
  session_.StartUpLoad();
  EXPECT_TRUE(list_.rows().empty());
  EXPECT_TRUE(session_.List3().empty());
  EXPECT_EQ(session_.CounterText(), u"0");
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_FALSE(session_.HouEnabled());
  EXPECT_TRUE(session_.ReplyBytes().empty());
  EXPECT_TRUE(Contains(session_.Notice(), u"服务器拒绝了连接。"));
  // Still usable: a category works afterwards and clears the notice.
  transfer_.QueueReply(Reply(Records(1), "1?1"));
  session_.CategoryClicked(1);
  EXPECT_EQ(list_.rows().size(), 1u);
  EXPECT_TRUE(session_.Notice().empty());
}

TEST_F(SessionTest, StartUpWithoutTrailerKeepsCounterAndDisablesButtons) {
  transfer_.QueueReply(
      "a\x02"
      "b\x01"
      "c\x02"
      "d\x01"
      "broken");
  session_.StartUpLoad();
  EXPECT_EQ(list_.rows().size(), 2u);
  EXPECT_EQ(session_.List3().size(), 2u);
  EXPECT_EQ(session_.CounterText(), u"0");
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_FALSE(session_.HouEnabled());
  EXPECT_FALSE(session_.Notice().empty());
}

class CategoryButtonTest : public SessionTest, public ::testing::WithParamInterface<int> {};

TEST_P(CategoryButtonTest, SendsItsTermAndShowsItsSuffix) {
  const int index = GetParam();
  const CategoryButton& button = kCategoryButtons[static_cast<std::size_t>(index)];
  StartUp();
  transfer_.QueueReply(Reply(Records(3), "17?2"));
  session_.CategoryClicked(index);
  ASSERT_EQ(transfer_.addresses().size(), 2u);
  EXPECT_EQ(transfer_.addresses()[1], kScript + u"page=1&q=" + PercentEncoded(button.term));
  EXPECT_EQ(session_.CounterText(), u"当前有 17" + std::u16string(button.counter_suffix));
  EXPECT_EQ(session_.PageNo(), 1);
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_TRUE(session_.HouEnabled());
  EXPECT_EQ(list_.rows().size(), 3u);
  EXPECT_EQ(Column(4), (Lines{u"", u"", u""}));
  EXPECT_EQ(Column(5), (Lines{u"", u"", u""}));
  EXPECT_EQ(session_.List3().size(), 3u);
  EXPECT_TRUE(session_.Notice().empty());
}

INSTANTIATE_TEST_SUITE_P(AllEighteen, CategoryButtonTest, ::testing::Range(0, 18));

TEST_F(SessionTest, CategoryTermsThatDifferFromTheCaption) {
  StartUp();
  transfer_.SetStandingReply(Reply(Records(1), "4?1"));
  session_.CategoryClicked(1);  // Command2
  EXPECT_EQ(transfer_.addresses().back(),
            kScript + u"page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF");
  EXPECT_EQ(session_.CounterText(), u"当前有 4 个穿越火线外挂");
  session_.CategoryClicked(8);  // Command9 shows QQ逆战 but sends 逆战
  EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=1&q=%E9%80%86%E6%88%98");
  session_.CategoryClicked(0);  // Command1: the counter says 跑跑卡丁车
  EXPECT_EQ(transfer_.addresses().back(),
            kScript + u"page=1&q=%E8%B7%91%E7%82%AE%E5%8D%A1%E4%B8%81%E8%BD%A6");
  EXPECT_EQ(session_.CounterText(), u"当前有 4 个跑跑卡丁车外挂");
  session_.CategoryClicked(14);  // Command15 has no counting word
  EXPECT_EQ(session_.CounterText(), u"当前有 4 QQ活动");
  EXPECT_FALSE(session_.HouEnabled());
}

TEST_F(SessionTest, SameCategoryTwiceGivesTheSameListTwice) {
  StartUp();
  transfer_.SetStandingReply(Reply(Records(4), "4?1"));
  session_.CategoryClicked(2);
  const auto first = list_.rows();
  const Lines first_list3 = session_.List3();
  session_.CategoryClicked(2);
  EXPECT_EQ(list_.rows(), first);
  EXPECT_EQ(session_.List3(), first_list3);
  EXPECT_EQ(list_.rows().size(), 4u);
}

TEST_F(SessionTest, UnknownButtonIndexChangesNothing) {
  StartUp();
  session_.CategoryClicked(18);
  session_.CategoryClicked(-1);
  EXPECT_EQ(transfer_.addresses().size(), 1u);
  EXPECT_FALSE(session_.Notice().empty());
  EXPECT_EQ(list_.rows().size(), 2u);
}

TEST_F(SessionTest, ThreePageWalkForwardAndBack) {
  StartUp(3);
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_TRUE(session_.HouEnabled());
  struct Step {
    bool next;
    const char16_t* query;
    std::int32_t page_no;
    bool qian;
    bool hou;
  };
  const Step steps[] = {{true, u"page=2", 2, true, true},
                        {true, u"page=3", 3, true, false},
                        {false, u"page=2", 2, true, true},
                        {false, u"page=1", 1, false, true}};
  for (const Step& step : steps) {
    transfer_.QueueReply(Reply({Record(step.page_no)}, "30?3"));
    step.next ? session_.NextPage() : session_.PreviousPage();
    EXPECT_EQ(transfer_.addresses().back(), kScript + step.query);
    EXPECT_EQ(session_.PageNo(), step.page_no);
    EXPECT_EQ(session_.QianEnabled(), step.qian) << encoding::Utf16ToUtf8(step.query);
    EXPECT_EQ(session_.HouEnabled(), step.hou) << encoding::Utf16ToUtf8(step.query);
    EXPECT_EQ(session_.CounterText(), u"当页共有 30 外挂");
    EXPECT_EQ(Column(4), Lines{U(Record(step.page_no)[4])});
    EXPECT_EQ(Column(5), Lines{U(Record(step.page_no)[5])});
    EXPECT_EQ(session_.List3(), Lines{U(Record(step.page_no)[4])});
    EXPECT_TRUE(session_.Notice().empty());
  }
}

TEST_F(SessionTest, PagingAfterCategoryWalksTheWholeCatalogue) {
  StartUp();
  transfer_.QueueReply(Reply(Records(1), "9?2"));
  session_.CategoryClicked(4);
  transfer_.QueueReply(Reply(Records(2), "300?10"));
  session_.NextPage();
  EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=2");
  EXPECT_EQ(session_.CounterText(), u"当页共有 300 外挂");
}

TEST_F(SessionTest, PreviousToPageOneEnablesHouEvenForOnePage) {
  StartUp();
  transfer_.QueueReply(Reply(Records(1), "1?1"));
  session_.NextPage();
  transfer_.QueueReply(Reply(Records(1), "1?1"));
  session_.PreviousPage();
  EXPECT_EQ(session_.PageNo(), 1);
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_TRUE(session_.HouEnabled());
}

TEST_F(SessionTest, UnreadablePageCountLeavesHouEnabledAfterNext) {
  for (const char* trailer : {"5?0", "5?many", "5"}) {
    StartUp();
    transfer_.QueueReply(Reply(Records(1), trailer));
    session_.NextPage();
    EXPECT_TRUE(session_.HouEnabled()) << trailer;
    EXPECT_TRUE(session_.QianEnabled()) << trailer;
  }
}

TEST_F(SessionTest, FailedPagingFetchKeepsPageOnShow) {
  StartUp();
  transfer_.QueueReply(Reply(Records(3), "30?3"));
  session_.NextPage();
  const auto rows = list_.rows();
  const Lines list3 = session_.List3();
  const std::u16string counter = session_.CounterText();
  const std::string reply = session_.ReplyBytes();
  list_.ClearLog();

  transfer_.QueueFailure(Failure::kStalled, u"服务器 20 秒没有响应。");
  session_.NextPage();
  EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=3");
  EXPECT_EQ(session_.PageNo(), 2);
  EXPECT_EQ(list_.rows(), rows);
  EXPECT_TRUE(list_.log().empty()) << "the list was touched";
  EXPECT_EQ(session_.List3(), list3);
  EXPECT_EQ(session_.CounterText(), counter);
  EXPECT_EQ(session_.ReplyBytes(), reply);
  EXPECT_TRUE(session_.QianEnabled());
  EXPECT_TRUE(session_.HouEnabled());
  EXPECT_TRUE(Contains(session_.Notice(), u"服务器 20 秒没有响应。"));

  // Once the service is back, the next click fetches the page after the one on show.
  transfer_.QueueReply(Reply(Records(1), "30?3"));
  session_.NextPage();
  EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=3");
  EXPECT_EQ(session_.PageNo(), 3);
  EXPECT_TRUE(session_.Notice().empty());

  transfer_.QueueFailure(Failure::kRefused);
  session_.PreviousPage();
  EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=2");
  EXPECT_EQ(session_.PageNo(), 3);
  EXPECT_FALSE(session_.HouEnabled());
}

TEST_F(SessionTest, PagingWithMalformedReplyFollowsTheStepRules) {
  StartUp();
  transfer_.QueueReply(
      "a\x02"
      "b\x01\x01"
      "c\x01tail?4");
  session_.NextPage();
  EXPECT_EQ(session_.PageNo(), 2);
  EXPECT_EQ(list_.rows().size(), 2u);
  EXPECT_EQ(session_.List3(), (Lines{u"", u""}));
  EXPECT_EQ(session_.CounterText(), u"当页共有 a\u0002b\u0001\u0001c\u0001tail 外挂");
  EXPECT_TRUE(session_.HouEnabled());
  EXPECT_FALSE(session_.Notice().empty());
}

TEST_F(SessionTest, PreviousOnPageOneSendsNothing) {
  StartUp();
  session_.PreviousPage();
  EXPECT_EQ(transfer_.addresses().size(), 1u);
  EXPECT_EQ(session_.PageNo(), 1);
  EXPECT_FALSE(session_.Notice().empty());
}

struct LoadFailureCase {
  const char* name;
  bool search;
  bool transfer_fails;
  const char* reply;  // used when the transfer succeeds
  bool rows_replaced;
  bool counter_changed;
};

class FailedLoadTest : public SessionTest, public ::testing::WithParamInterface<LoadFailureCase> {};

// A failed category or search load ends at the fault, keeps what it had
// already changed, and says so in one sentence.
TEST_P(FailedLoadTest, EndsAtTheFault) {
  const LoadFailureCase& c = GetParam();
  StartUp();
  transfer_.QueueReply(Reply(Records(4), "40?4"));
  session_.NextPage();  // page 2: both buttons on
  ASSERT_TRUE(session_.QianEnabled());
  const auto rows = list_.rows();
  const std::u16string counter = session_.CounterText();

  if (c.transfer_fails) {
    transfer_.QueueFailure(Failure::kHttpStatus, u"服务器返回了错误 500。");
  } else {
    std::string reply = c.reply;
    std::replace(reply.begin(), reply.end(), 'R', '\x01');
    std::replace(reply.begin(), reply.end(), 'F', '\x02');
    transfer_.QueueReply(reply);
  }
  c.search ? session_.SearchClicked(u"x") : session_.CategoryClicked(3);

  // A fetch that failed changed nothing on screen, so the page on show stays page 2.
  EXPECT_EQ(session_.PageNo(), c.transfer_fails ? 2 : 1);
  EXPECT_FALSE(session_.Notice().empty());
  EXPECT_EQ(std::count(session_.Notice().begin(), session_.Notice().end(), u'。'), 1)
      << encoding::Utf16ToUtf8(session_.Notice());
  EXPECT_EQ(list_.rows() != rows, c.rows_replaced);
  EXPECT_EQ(session_.CounterText() != counter, c.counter_changed);
  EXPECT_EQ(session_.List3().size(), list_.rows().size());
  // The buttons were not reached.
  EXPECT_TRUE(session_.QianEnabled());
  EXPECT_TRUE(session_.HouEnabled());

  if (c.transfer_fails) {
    transfer_.QueueReply(Reply(Records(1), "40?4"));
    session_.PreviousPage();
    EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=1");
  }

  // The window stays usable: the next load goes through and clears the notice.
  transfer_.QueueReply(Reply(Records(1), "1?1"));
  session_.SearchClicked(u"y");
  EXPECT_TRUE(session_.Notice().empty());
  EXPECT_FALSE(session_.QianEnabled());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedLoadTest,
    ::testing::Values(
        LoadFailureCase{"category_transfer", false, true, "", false, false},
        LoadFailureCase{"category_no_marker", false, false, "aFbRcR9?9", true, false},
        LoadFailureCase{"category_one_trailer_part", false, false, "aFbR?TtbBa?9", true, true},
        LoadFailureCase{"category_pages_not_number", false, false, "aR?TtbBa?9?x", true, true},
        LoadFailureCase{"search_transfer", true, true, "", false, false},
        LoadFailureCase{"search_no_marker", true, false, "aFbR", true, false},
        LoadFailureCase{"search_one_trailer_part", true, false, "aR?TtbBa?9", true, true},
        LoadFailureCase{"search_pages_not_number", true, false, "aR?TtbBa?9?", true, true}),
    [](const ::testing::TestParamInfo<LoadFailureCase>& info) {
      return std::string(info.param.name);
    });

struct SearchCase {
  const char16_t* box;
  const char16_t* query;
};

class SearchTest : public SessionTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(SearchTest, TrimsAndEncodes) {
  StartUp();
  transfer_.QueueReply(Reply(Records(2), "25?2"));
  session_.SearchClicked(GetParam().box);
  EXPECT_EQ(transfer_.addresses().back(), kScript + GetParam().query);
  EXPECT_EQ(session_.CounterText(), u"搜索到 25 结果");
  EXPECT_EQ(session_.PageNo(), 1);
  EXPECT_FALSE(session_.QianEnabled());
  EXPECT_TRUE(session_.HouEnabled());
  EXPECT_EQ(Column(4), (Lines{u"", u""}));
  EXPECT_EQ(Column(5), (Lines{u"", u""}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SearchTest,
    ::testing::Values(SearchCase{u"  飞车 辅助  ",
                                 u"page=1&q=%E9%A3%9E%E8%BD%A6%20%E8%BE%85%E5%8A%A9"},
                      SearchCase{u"C++", u"page=1&q=C%2B%2B"}, SearchCase{u"", u"page=1&q="},
                      SearchCase{u"请输入外挂的名称",
                                 u"page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84%"
                                 u"E5%90%8D%E7%A7%B0"},
                      SearchCase{u"\ta ", u"page=1&q=%09a"}));

TEST_F(SessionTest, SearchWithNoRecordsEmptiesTheList) {
  StartUp();
  transfer_.QueueReply(Reply({}, "0?0"));
  session_.SearchClicked(u"nothing");
  EXPECT_TRUE(list_.rows().empty());
  EXPECT_TRUE(session_.List3().empty());
  EXPECT_EQ(session_.CounterText(), u"搜索到 0 结果");
  EXPECT_FALSE(session_.HouEnabled());
}

TEST_F(SessionTest, AfterSearchNextPageIsTheWholeCatalogue) {
  StartUp();
  transfer_.QueueReply(Reply(Records(1), "25?2"));
  session_.SearchClicked(u"abc");
  transfer_.QueueReply(Reply(Records(1), "30?3"));
  session_.NextPage();
  EXPECT_EQ(transfer_.addresses().back(), kScript + u"page=2");
}

TEST_F(SessionTest, RowsBeyondSixteenBitsAreListed) {
  list_.SetLogging(false);
  const int count = 33000;
  std::string reply;
  for (int i = 0; i < count; ++i) reply += "c\x02t\x02m\x02u\x02l/*/http://x/**/\x02i\x01";
  reply += "?TtbBa?33000?1";
  transfer_.QueueReply(reply);
  session_.StartUpLoad();
  EXPECT_EQ(list_.rows().size(), static_cast<std::size_t>(count));
  EXPECT_EQ(session_.List3().size(), static_cast<std::size_t>(count));
  session_.RowChosen(count - 1);
  EXPECT_EQ(session_.List2(), Lines{u"http://x"});
}

}  // namespace
}  // namespace quorvel::catalogue
