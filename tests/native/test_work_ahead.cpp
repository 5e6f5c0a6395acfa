// The second-thread reading and decoding ahead of a conversion: every item
// comes back in order exactly once, failures and a dead thread hand the
// work back to the caller, and stopping early neither hangs nor leaks.
#include "writeavi/work_ahead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

namespace lumavex {
namespace {

using BytesAhead = WorkAhead<std::vector<std::uint8_t>>;

BytesAhead::Body Maker(std::atomic<int>& made, int failAt = -1, int throwAt = -1) {
  return [&made, failAt, throwAt](const auto& loop) {
    loop([&made, failAt, throwAt](int i, std::vector<std::uint8_t>& out) {
      if (i == throwAt) throw std::runtime_error("gone");
      ++made;
      out.assign(static_cast<std::size_t>(i % 7) + 1, static_cast<std::uint8_t>(i));
      return i != failAt;
    });
  };
}

TEST(WorkAhead, HandsOutEveryItemInOrderWithItsOwnBytes) {
  std::atomic<int> made{0};
  BytesAhead ahead(100, 3, Maker(made, 42));
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 100; ++i) {
    const BytesAhead::Taken taken = ahead.Take(i, out);
    if (i == 42) {
      EXPECT_EQ(taken, BytesAhead::Taken::Failed);
      continue;
    }
    ASSERT_EQ(taken, BytesAhead::Taken::Made) << i;
    ASSERT_EQ(out,
              std::vector<std::uint8_t>(static_cast<std::size_t>(i % 7) + 1, static_cast<std::uint8_t>(i)));
  }
  EXPECT_EQ(made, 100);
}

TEST(WorkAhead, OutOfOrderOrOutOfRangeIsLeftToTheCaller) {
  std::atomic<int> made{0};
  BytesAhead ahead(5, 2, Maker(made));
  std::vector<std::uint8_t> out;
  EXPECT_EQ(ahead.Take(1, out), BytesAhead::Taken::NotAhead);
  EXPECT_EQ(ahead.Take(-1, out), BytesAhead::Taken::NotAhead);
  EXPECT_EQ(ahead.Take(5, out), BytesAhead::Taken::NotAhead);
  EXPECT_EQ(ahead.Take(0, out), BytesAhead::Taken::Made);
  EXPECT_EQ(ahead.Take(1, out), BytesAhead::Taken::Made);
}

TEST(WorkAhead, AThreadThatDiesLeavesTheRestToTheCallerWithoutHanging) {
  std::atomic<int> made{0};
  BytesAhead ahead(10, 4, Maker(made, -1, 3));
  std::vector<std::uint8_t> out;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ahead.Take(i, out), BytesAhead::Taken::Made);
  for (int i = 3; i < 10; ++i) EXPECT_EQ(ahead.Take(i, out), BytesAhead::Taken::NotAhead);
}

TEST(WorkAhead, StoppingEarlyEndsTheThreadAndMakesNoMoreThanAllowedAhead) {
  std::atomic<int> made{0};
  {
    BytesAhead ahead(1000, 4, Maker(made));
    std::vector<std::uint8_t> out;
    EXPECT_EQ(ahead.Take(0, out), BytesAhead::Taken::Made);
  }  // joins here; a thread still waiting for room would hang this test
  EXPECT_LE(made, 1 + 4);
  BytesAhead empty(0, 4, Maker(made));
  std::vector<std::uint8_t> out;
  EXPECT_EQ(empty.Take(0, out), BytesAhead::Taken::NotAhead);
}

}  // namespace
}  // namespace lumavex
