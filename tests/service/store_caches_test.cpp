#include <gtest/gtest.h>

#include "entry_printer.h"

#include "service/store/match_cache.h"
#include "service/store/row_store.h"
#include "service/store/sqlite_handle.h"

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

TEST(RowStoreTest, FindsRowsByNumberWithFewOrManyGaps) {
  const std::vector<std::vector<std::int64_t>> cases = {{3, 4, 7},
                                                        {1, 4'000'000'000, 9'000'000'000}};
  for (const std::vector<std::int64_t>& seqs : cases) {
    RowStore store;
    for (const std::int64_t seq : seqs) store.Add(seq, CatalogueEntry{});
    store.Finish();
    for (std::size_t row = 0; row < seqs.size(); ++row) EXPECT_EQ(store.Find(seqs[row]), row);
    for (const std::int64_t absent : {seqs[0] - 1, seqs.back() - 1, seqs.back() + 1}) {
      EXPECT_EQ(store.Find(absent), RowStore::kNone) << absent;
    }
  }
}

TEST(RowStoreTest, GivesEntriesBackWholeAndRefusesRowsOutOfOrder) {
  const CatalogueEntry full{"传奇", "T?2", "免费", "2013-01-02", "a/*//d/1/**/", "17"};
  const CatalogueEntry empty{};
  RowStore store;
  store.Add(2, full);
  store.Add(5, empty);
  EXPECT_THROW(store.Add(5, full), StoreError);
  store.Finish();
  EXPECT_EQ(store.Entry(0), full);
  EXPECT_EQ(store.Entry(1), empty);
}

}  // namespace
}  // namespace quorvel::service
