#include "client/catalogue/page_buttons.h"

#include <gtest/gtest.h>

namespace quorvel::catalogue {
namespace {

TEST(PageButtonsTest, FirstPageRuleA) {
  EXPECT_EQ(FirstPageButtons(0), (PageButtons{false, false}));
  EXPECT_EQ(FirstPageButtons(1), (PageButtons{false, false}));
  EXPECT_EQ(FirstPageButtons(2), (PageButtons{false, true}));
  EXPECT_EQ(FirstPageButtons(1000), (PageButtons{false, true}));
  EXPECT_EQ(FirstPageButtons(-1), (PageButtons{false, true}));
}

TEST(PageButtonsTest, NextByEquality) {
  EXPECT_EQ(ButtonsAfterNext(2, 3), (PageButtons{true, true}));
  EXPECT_EQ(ButtonsAfterNext(3, 3), (PageButtons{true, false}));
  EXPECT_EQ(ButtonsAfterNext(4, 3), (PageButtons{true, true}));
  EXPECT_EQ(ButtonsAfterNext(2, 0), (PageButtons{true, true}));
}

TEST(PageButtonsTest, PreviousIgnoresThePageCount) {
  EXPECT_EQ(ButtonsAfterPrevious(1), (PageButtons{false, true}));
  EXPECT_EQ(ButtonsAfterPrevious(2), (PageButtons{true, true}));
}

}  // namespace
}  // namespace quorvel::catalogue
