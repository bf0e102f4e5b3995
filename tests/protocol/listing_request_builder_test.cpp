#include "protocol/listing_request_builder.h"

#include <gtest/gtest.h>

namespace quorvel::protocol {
namespace {

TEST(TrimSpacesTest, OnlyU0020AtBothEnds) {
  EXPECT_EQ(TrimSpaces(u"  a b  "), u"a b");
  EXPECT_EQ(TrimSpaces(u"\ta\t"), u"\ta\t");
  EXPECT_EQ(TrimSpaces(u"\u3000a\u00A0"), u"\u3000a\u00A0");
  EXPECT_EQ(TrimSpaces(u"   "), u"");
  EXPECT_EQ(TrimSpaces(u""), u"");
}

struct QueryCase {
  const char16_t* term;
  const char16_t* query;
};

class FirstPageQueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(FirstPageQueryTest, TrimmedAndEncoded) {
  EXPECT_EQ(FirstPageQuery(GetParam().term), GetParam().query);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstPageQueryTest,
    ::testing::Values(
        QueryCase{u"穿越火线", u"page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF"},
        QueryCase{u"  逆战  ", u"page=1&q=%E9%80%86%E6%88%98"}, QueryCase{u"", u"page=1&q="},
        QueryCase{u"   ", u"page=1&q="}, QueryCase{u"CSOL", u"page=1&q=CSOL"},
        QueryCase{
            u"请输入外挂的名称",
            u"page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84%E5%90%8D%E7%A7%B0"}));

// Whatever the term holds, it cannot add a key or end the query early.
TEST(FirstPageQueryTest, TermCannotBreakTheQuery) {
  const std::u16string query = FirstPageQuery(u" C++ & page=9#x ");
  ASSERT_TRUE(query.starts_with(u"page=1&q="));
  EXPECT_EQ(query.find_first_of(u"&=# +", std::u16string_view(u"page=1&q=").size()),
            std::u16string::npos);
}

TEST(PagingQueryTest, PageNumberAlone) {
  EXPECT_EQ(PagingQuery(1), u"page=1");
  EXPECT_EQ(PagingQuery(2), u"page=2");
  EXPECT_EQ(PagingQuery(2147483647), u"page=2147483647");
}

}  // namespace
}  // namespace quorvel::protocol
