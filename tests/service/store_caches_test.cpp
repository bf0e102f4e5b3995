#include <gtest/gtest.h>

#include "entry_printer.h"

#include "catalogue-service/match_cache.h"
#include "catalogue-service/row_cache.h"
#include "catalogue-service/search_index.h"

namespace quorvel::service {
namespace {

std::shared_ptr<const MatchList> List(std::size_t size) {
  return std::make_shared<const MatchList>(size, 1);
}

TEST(MatchCacheTest, FindsWhatWasInserted) {
  MatchCache cache(4, 100);
  EXPECT_EQ(cache.Find(1, "a"), nullptr);
  const auto list = List(3);
  cache.Insert(1, "a", list);
  EXPECT_EQ(cache.Find(1, "a"), list);
  EXPECT_EQ(cache.Find(1, "b"), nullptr);
}

TEST(MatchCacheTest, DropsTheLeastRecentlyUsedList) {
  MatchCache cache(2, 100);
  cache.Insert(1, "a", List(1));
  cache.Insert(1, "b", List(1));
  ASSERT_NE(cache.Find(1, "a"), nullptr);  // "b" is now the oldest
  cache.Insert(1, "c", List(1));
  EXPECT_NE(cache.Find(1, "a"), nullptr);
  EXPECT_EQ(cache.Find(1, "b"), nullptr);
  EXPECT_NE(cache.Find(1, "c"), nullptr);
  EXPECT_EQ(cache.ListCount(), 2u);
}

TEST(MatchCacheTest, BoundsTheRowsHeld) {
  MatchCache cache(10, 10);
  cache.Insert(1, "big", List(11));  // larger than the whole budget: not kept
  EXPECT_EQ(cache.Find(1, "big"), nullptr);
  cache.Insert(1, "a", List(6));
  cache.Insert(1, "b", List(6));  // 12 rows: "a" goes
  EXPECT_EQ(cache.Find(1, "a"), nullptr);
  EXPECT_NE(cache.Find(1, "b"), nullptr);
}

TEST(MatchCacheTest, ANewerGenerationForgetsEverything) {
  MatchCache cache(10, 100);
  cache.Insert(1, "a", List(1));
  EXPECT_EQ(cache.Find(2, "a"), nullptr);
  EXPECT_EQ(cache.ListCount(), 0u);
  // A reader still on the old generation neither sees nor stores anything.
  cache.Insert(1, "a", List(1));
  EXPECT_EQ(cache.ListCount(), 0u);
  EXPECT_EQ(cache.Find(1, "a"), nullptr);
}

TEST(SearchIndexTest, FindsByCategoryOrTitleInListingOrder) {
  SearchIndex index;
  index.Add(7, "csol", "csol c++ tool");
  index.Add(3, "qq飞车", "qq飞车 加速器");
  index.Add(9, "csol-like", "other");
  index.Add(1, "传奇", "传奇 csol 版");
  EXPECT_EQ(index.All(), (MatchList{7, 3, 9, 1}));
  EXPECT_EQ(index.Find(""), (MatchList{7, 3, 9, 1}));
  EXPECT_EQ(index.Find("csol"), (MatchList{7, 1}));  // the category must be equal, not contain
  EXPECT_EQ(index.Find("加速"), (MatchList{3}));
  EXPECT_EQ(index.Find("c++ tool"), (MatchList{7}));
  EXPECT_EQ(index.Find("qq飞车 加速器 更多"), MatchList{});
}

std::vector<EntryPointer> Entries(std::initializer_list<const char*> ids) {
  std::vector<EntryPointer> entries;
  for (const char* id : ids) {
    entries.push_back(std::make_shared<const CatalogueEntry>(
        CatalogueEntry{"c", std::string(200, 't'), "l", "u", "d", id}));
  }
  return entries;
}

TEST(RowCacheTest, GivesBackWhatItHoldsAndNullOtherwise) {
  RowCache cache(1 << 20);
  const std::vector<std::int64_t> seqs = {5, 6};
  cache.Insert(1, seqs, Entries({"five", "six"}));
  const std::vector<std::int64_t> asked = {6, 7, 5};
  std::vector<EntryPointer> found(3);
  cache.Find(1, asked, found);
  ASSERT_NE(found[0], nullptr);
  EXPECT_EQ(found[0]->entry_id, "six");
  EXPECT_EQ(found[1], nullptr);
  ASSERT_NE(found[2], nullptr);
  EXPECT_EQ(found[2]->entry_id, "five");
  // A newer catalogue generation sees none of it.
  cache.Find(2, asked, found);
  EXPECT_EQ(found, std::vector<EntryPointer>(3));
  EXPECT_EQ(cache.BytesHeld(), 0u);
}

TEST(RowCacheTest, StaysWithinItsBytes) {
  RowCache cache(2000);
  std::vector<std::int64_t> seqs;
  for (std::int64_t seq = 0; seq < 50; ++seq) seqs.push_back(seq);
  std::vector<EntryPointer> entries;
  for (std::int64_t seq = 0; seq < 50; ++seq) {
    entries.push_back(Entries({"x"}).front());
  }
  cache.Insert(1, seqs, entries);
  EXPECT_LE(cache.BytesHeld(), 2000u);
  EXPECT_GT(cache.BytesHeld(), 0u);
}

}  // namespace
}  // namespace quorvel::service
