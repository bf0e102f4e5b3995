#include "catalogue/listing_query.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

TEST(TrimSpacesTest, OnlyU0020AtBothEnds) {
  EXPECT_EQ(TrimSpaces(u"  a b  ").toString(), "a b");
  EXPECT_EQ(TrimSpaces(u"\ta\t").toString(), "\ta\t");
  EXPECT_EQ(TrimSpaces(QStringView(u"\u3000a\u00A0")).toString(), QStringLiteral("\u3000a\u00A0"));
  EXPECT_EQ(TrimSpaces(u"   ").toString(), "");
  EXPECT_EQ(TrimSpaces(u"").toString(), "");
}

struct QueryCase {
  const char16_t* term;
  const char* query;
};

class FirstPageQueryTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(FirstPageQueryTest, TrimmedAndEncoded) {
  EXPECT_EQ(FirstPageQuery(QString::fromUtf16(GetParam().term)), QString(GetParam().query));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstPageQueryTest,
    ::testing::Values(
        QueryCase{u"穿越火线", "page=1&q=%E7%A9%BF%E8%B6%8A%E7%81%AB%E7%BA%BF"},
        QueryCase{u"  逆战  ", "page=1&q=%E9%80%86%E6%88%98"}, QueryCase{u"", "page=1&q="},
        QueryCase{u"   ", "page=1&q="}, QueryCase{u"CSOL", "page=1&q=CSOL"},
        QueryCase{
            u"请输入外挂的名称",
            "page=1&q=%E8%AF%B7%E8%BE%93%E5%85%A5%E5%A4%96%E6%8C%82%E7%9A%84%E5%90%8D%E7%A7%B0"}));

// Whatever the term holds, it cannot add a key or end the query early.
TEST(FirstPageQueryTest, TermCannotBreakTheQuery) {
  const QString query = FirstPageQuery(u" C++ & page=9#x ");
  EXPECT_TRUE(query.startsWith("page=1&q="));
  const QString value = query.mid(QStringLiteral("page=1&q=").size());
  EXPECT_FALSE(value.contains('&'));
  EXPECT_FALSE(value.contains('='));
  EXPECT_FALSE(value.contains('#'));
  EXPECT_FALSE(value.contains(' '));
  EXPECT_FALSE(value.contains('+'));
}

TEST(PagingQueryTest, PageNumberAlone) {
  EXPECT_EQ(PagingQuery(1), "page=1");
  EXPECT_EQ(PagingQuery(2), "page=2");
  EXPECT_EQ(PagingQuery(2147483647), "page=2147483647");
}

}  // namespace
}  // namespace quorvel::catalogue
