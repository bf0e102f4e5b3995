#include "protocol/listing_reply_writer.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel::protocol {
namespace {

struct PageCountCase {
  std::int64_t matches;
  int page_size;
  std::int64_t pages;
};

class PageCountTest : public ::testing::TestWithParam<PageCountCase> {};

TEST_P(PageCountTest, RoundsUp) {
  EXPECT_EQ(PageCount(GetParam().matches, GetParam().page_size), GetParam().pages);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageCountTest,
                         ::testing::Values(PageCountCase{0, 20, 0}, PageCountCase{1, 20, 1},
                                           PageCountCase{19, 20, 1}, PageCountCase{20, 20, 1},
                                           PageCountCase{21, 20, 2}, PageCountCase{40, 20, 2},
                                           PageCountCase{41, 20, 3}, PageCountCase{330, 20, 17},
                                           PageCountCase{330, 7, 48}, PageCountCase{5, 1, 5},
                                           PageCountCase{100000, 20, 5000}));

TEST(FirstIndexOfPageTest, CountsPagesFromOneWithoutOverflow) {
  EXPECT_EQ(FirstIndexOfPage(1, 20), 0);
  EXPECT_EQ(FirstIndexOfPage(2, 20), 20);
  EXPECT_EQ(FirstIndexOfPage(2147483647, 1000), 2147483646LL * 1000);
}

struct LinksCase {
  std::string stored;
  std::string served;
};

class ResolveDownloadLinksTest : public ::testing::TestWithParam<LinksCase> {};

TEST_P(ResolveDownloadLinksTest, PrefixesOnlyServicePaths) {
  EXPECT_EQ(ResolveDownloadLinks(GetParam().stored, "http://127.0.0.1:8731"), GetParam().served);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ResolveDownloadLinksTest,
    ::testing::Values(
        LinksCase{"", ""},
        LinksCase{"本地下载/*//download/5/**/", "本地下载/*/http://127.0.0.1:8731/download/5/**/"},
        LinksCase{"a/*//download/5/**/b/*//download/5?mirror=2/**/",
                  "a/*/http://127.0.0.1:8731/download/5/**/"
                  "b/*/http://127.0.0.1:8731/download/5?mirror=2/**/"},
        LinksCase{"a/*/http://else/x/**/", "a/*/http://else/x/**/"},
        LinksCase{"a/*///cdn/x/**/", "a/*///cdn/x/**/"},  // protocol-relative: not ours
        LinksCase{"no separator/**/", "no separator/**/"},
        LinksCase{"a/*//x", "a/*/http://127.0.0.1:8731/x"},  // unterminated last link
        LinksCase{"a/*/rel/**/", "a/*/rel/**/"}));

}  // namespace
}  // namespace quorvel::protocol
