// The owning handle wrapper: every live handle is closed exactly once, and
// ownership moves rather than copies.
#include "platform/unique_handle.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

std::vector<int> closed;

struct CountingTraits {
  using Value = int;
  static Value Invalid() { return -1; }
  static bool IsValid(Value value) { return value >= 0; }
  static void Close(Value value) { closed.push_back(value); }
};
using Handle = platform::UniqueHandle<CountingTraits>;

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { closed.clear(); }
};

TEST_F(UniqueHandleTest, ClosesOnceAtTheEndOfItsScope) {
  { Handle handle(7); }
  { Handle empty; }
  EXPECT_EQ(closed, std::vector<int>{7});
}

TEST_F(UniqueHandleTest, ResetClosesTheOldValueAndReleaseGivesItUp) {
  Handle handle(1);
  handle.Reset(2);
  EXPECT_EQ(closed, std::vector<int>{1});
  EXPECT_EQ(handle.Release(), 2);
  EXPECT_FALSE(handle.IsValid());
  handle.Reset();
  EXPECT_EQ(closed, std::vector<int>{1});
}

TEST_F(UniqueHandleTest, MovingTransfersOwnership) {
  Handle first(3);
  Handle second(std::move(first));
  EXPECT_FALSE(first.IsValid());
  EXPECT_EQ(second.Get(), 3);
  Handle third(4);
  third = std::move(second);
  EXPECT_EQ(closed, std::vector<int>{4});
  third = std::move(third);
  EXPECT_EQ(third.Get(), 3);
  EXPECT_EQ(closed, std::vector<int>{4});
}

}  // namespace
