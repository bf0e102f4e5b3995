#include <gtest/gtest.h>

#include "entry_printer.h"

#include "protocol/listing_reply_writer.h"
#include "service/store/field_cleaning.h"
#include "service/store/page_reply.h"
#include "service/store/row_store.h"

namespace quorvel::service {
namespace {

using protocol::FirstIndexOfPage;
using protocol::PageCount;
using protocol::ResolveDownloadLinks;

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

TEST(BuildListingReplyTest, FramesRecordsAndTrailerExactly) {
  RowStore store;
  store.Add(4, CatalogueEntry{"穿越火线", "标题一", "免费", "2013-01-02 03:04:05",
                              "本地/*/http://x/a/**/镜像/*//download/7/**/", "7"});
  store.Add(9, CatalogueEntry{"QQ飞车", "T?2", "收费", "", "", "8"});
  store.Finish();
  const std::string expected =
      "QQ飞车\x02T?2\x02收费\x02\x02\x02"
      "8\x01"
      "穿越火线\x02标题一\x02免费\x02"
      "2013-01-02 03:04:05\x02本地/*/http://x/a/**/镜像/*/http://h:1/download/7/**/\x02"
      "7\x01"
      "?TtbBa?2?1";
  const std::vector<std::size_t> rows = {1, 0};
  EXPECT_EQ(BuildListingReply(store, rows, 2, 1, "http://h:1"), expected);
}

TEST(BuildListingReplyTest, EmptyPageIsTheTrailerAlone) {
  const RowStore store;
  EXPECT_EQ(BuildListingReply(store, {}, 0, 0, "http://h"), "?TtbBa?0?0");
  EXPECT_EQ(BuildListingReply(store, {}, 330, 17, "http://h"), "?TtbBa?330?17");
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

struct CleanCase {
  std::string dirty;
  std::string clean;
  int removed;
};

class CleanFieldTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanFieldTest, RemovesFramingAndCounts) {
  std::string field = GetParam().dirty;
  EXPECT_EQ(CleanField(field), GetParam().removed);
  EXPECT_EQ(field, GetParam().clean);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CleanFieldTest,
    ::testing::Values(CleanCase{"plain", "plain", 0}, CleanCase{"a?b?c", "a?b?c", 0},
                      CleanCase{"?TtbBa", "?TtbBa", 0}, CleanCase{"?ttbba?", "?ttbba?", 0},
                      CleanCase{"a\x01"
                                "b\x02"
                                "c",
                                "abc", 2},
                      CleanCase{std::string("a\0b", 3), "ab", 1}, CleanCase{"x?TtbBa?y", "xy", 1},
                      CleanCase{"?TtbBa??TtbBa?", "", 2},
                      // Removing the inner marker joins the outer halves into another.
                      CleanCase{"?Ttb?TtbBa?Ba?", "", 2},
                      CleanCase{"?Ttb\x01"
                                "Ba?",
                                "", 2}));

TEST(CleanEntryTest, CountsChangedFields) {
  CatalogueEntry entry{"a\x01", "b?TtbBa?", "c", "d", "e\x02\x02", "f"};
  EXPECT_EQ(CleanEntry(entry), 3);
  EXPECT_EQ(entry, (CatalogueEntry{"a", "b", "c", "d", "e", "f"}));
}

}  // namespace
}  // namespace quorvel::service
