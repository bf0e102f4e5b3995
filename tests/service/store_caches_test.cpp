#include <gtest/gtest.h>

#include "catalogue-service/match_cache.h"

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

}  // namespace
}  // namespace quorvel::service
