#include <gtest/gtest.h>

#include <vector>

#include "base/unique_handle.h"

namespace lumavex {
namespace {

// Handles are small ints, -1 is "none", and every close is recorded.
std::vector<int> g_closed;

struct FakeTraits {
  using type = int;
  static int invalid() { return -1; }
  static void close(int h) { g_closed.push_back(h); }
};
using FakeHandle = UniqueHandle<FakeTraits>;

// The way the platform's out-parameter calls behave.
bool Open(int value, int* out) {
  *out = value;
  return value >= 0;
}

class UniqueHandlePut : public ::testing::Test {
 protected:
  void SetUp() override {
    g_closed.clear();
    base_ = FakeHandle::live();
  }
  long base_ = 0;
};

TEST_F(UniqueHandlePut, ReleasesWhatItHeldAndOwnsWhatTheCallWrote) {
  FakeHandle h(7);
  ASSERT_TRUE(Open(8, h.put()));
  EXPECT_EQ(g_closed, std::vector<int>{7});
  EXPECT_EQ(h.get(), 8);
  EXPECT_EQ(FakeHandle::live(), base_ + 1);
  h.reset();
  EXPECT_EQ(g_closed, (std::vector<int>{7, 8}));
  EXPECT_EQ(FakeHandle::live(), base_);
}

TEST_F(UniqueHandlePut, ACallThatWritesNothingLeavesItEmptyAndUncounted) {
  FakeHandle h(3);
  EXPECT_FALSE(Open(-1, h.put()));
  EXPECT_FALSE(h);
  EXPECT_EQ(FakeHandle::live(), base_);
  EXPECT_EQ(g_closed, std::vector<int>{3});
}

TEST_F(UniqueHandlePut, CountsStayBalancedThroughMovesAfterPut) {
  {
    FakeHandle a;
    Open(5, a.put());
    FakeHandle b(std::move(a));
    EXPECT_EQ(FakeHandle::live(), base_ + 1);
    EXPECT_EQ(b.release(), 5);
    EXPECT_EQ(FakeHandle::live(), base_);
  }
  EXPECT_TRUE(g_closed.empty());  // released, not closed
}

}  // namespace
}  // namespace lumavex
