// The memory all windows may take together.
#include <climits>

#include <gtest/gtest.h>

#include "engine/TMemoryBudget.h"

TEST(MemoryBudget, HoldingsTogetherStayWithinTheLimit) {
  TMemoryBudget budget(100);
  EXPECT_TRUE(budget.TryReplace(0, 60));
  EXPECT_FALSE(budget.TryReplace(0, 41));
  EXPECT_TRUE(budget.TryReplace(0, 40));
  EXPECT_EQ(budget.Used(), 100u);
  // A holding that is replaced counts once: 60 may become 50 or 60 but not 61.
  EXPECT_FALSE(budget.TryReplace(60, 61));
  EXPECT_TRUE(budget.TryReplace(60, 50));
  EXPECT_FALSE(budget.TryReplace(50, UINT64_MAX));
  EXPECT_EQ(budget.Used(), 90u);
  // A smaller limit keeps what is held; shrinking is always allowed, growing is not.
  budget.SetLimit(10);
  EXPECT_FALSE(budget.TryReplace(40, 41));
  EXPECT_TRUE(budget.TryReplace(40, 30));
  budget.Release(50);
  budget.Release(30);
  EXPECT_EQ(budget.Used(), 0u);
  EXPECT_TRUE(budget.TryReplace(0, 10));

  EXPECT_EQ(TMemoryBudget::AreaBytes(16384, 16384, 4), uint64_t(1) << 30);
  EXPECT_EQ(TMemoryBudget::AreaBytes(INT_MAX, INT_MAX, 8), UINT64_MAX);
  EXPECT_EQ(TMemoryBudget::AreaBytes(0, 100, 8), 0u);
  EXPECT_EQ(TMemoryBudget::AreaBytes(-5, 100, 8), 0u);
  EXPECT_GT(TMemoryBudget::Shared().Limit(), 0u);
  EXPECT_EQ(TMemoryBudget::Shared().Limit(), TMemoryBudget::QuarterOfPhysicalMemory());
}
