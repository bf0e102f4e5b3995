#include <gtest/gtest.h>

#include "entry_printer.h"

#include "service/store/field_cleaning.h"
#include "service/store/page_reply.h"
#include "service/store/row_store.h"

namespace quorvel::service {
namespace {

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
