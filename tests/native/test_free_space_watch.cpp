// When a recording asks its volume for the free space: at the first frame,
// whenever the bytes written since the last answer could have reached the
// reserve, after an answer grows old, and after a volume that could not be
// asked.
#include <gtest/gtest.h>

#include "recording/free_space_watch.h"

namespace lumavex {
namespace {

constexpr std::uint64_t kMB = 1ull << 20;

TEST(FreeSpaceWatch, AskedWhenTheWrittenBytesCouldReachTheReserve) {
  constexpr std::uint64_t kFrame = 100 * 1024;
  FreeSpaceWatch w;
  EXPECT_TRUE(w.Due(0));
  w.Answer(kDiskReserveBytes + 10 * kMB, 0);
  EXPECT_FALSE(w.Due(0));
  EXPECT_FALSE(w.BelowReserve());
  for (int i = 0; i < 92; ++i) w.Written(kFrame);
  EXPECT_FALSE(w.Due(10));  // just over 1 MB headroom left above the reserve...
  w.Written(kFrame);
  EXPECT_TRUE(w.Due(10));  // ...until it is less
  // Frames larger than the headroom widen it: four of the largest so far.
  w.Answer(kDiskReserveBytes + 10 * kMB, 20);
  w.Written(2 * kMB);
  EXPECT_TRUE(w.Due(20));
}

TEST(FreeSpaceWatch, OldAndMissingAnswersAreAskedAgain) {
  FreeSpaceWatch w;
  w.Answer(1ull << 40, 1000);
  EXPECT_FALSE(w.Due(1000 + kFreeSpaceTrustMs - 1));
  EXPECT_TRUE(w.Due(1000 + kFreeSpaceTrustMs));
  EXPECT_TRUE(w.Due(999));  // a clock that went back trusts nothing
  w.Answer(std::nullopt, 2000);
  EXPECT_TRUE(w.Due(2000));
  EXPECT_FALSE(w.BelowReserve());  // unknown is not low: the write will tell
  w.Answer(kDiskReserveBytes - 1, 3000);
  EXPECT_TRUE(w.BelowReserve());
  EXPECT_TRUE(w.Due(3000));
  w.Forget();
  EXPECT_FALSE(w.BelowReserve());
  EXPECT_TRUE(w.Due(3000));
}

}  // namespace
}  // namespace lumavex
