#include <gtest/gtest.h>

#include <cstdint>

#include "recording/capture_schedule.h"

namespace lumavex {
namespace {

constexpr std::int64_t kT0 = 5'000'000;  // any monotonic clock reading

void ExpectCapture(CaptureSchedule& s, std::int64_t now, std::int64_t slot, std::int64_t skipped) {
  const ScheduledTick tick = s.Tick(now);
  EXPECT_TRUE(tick.capture) << "at " << now;
  EXPECT_EQ(tick.slot, slot) << "at " << now;
  EXPECT_EQ(tick.skippedSlots, skipped) << "at " << now;
}

TEST(CaptureSchedule, OnTimeEarlyAndLateTicks) {
  CaptureSchedule s;
  EXPECT_FALSE(s.Tick(kT0).capture);  // not started
  s.Start(kT0, 1000);
  EXPECT_EQ(s.DelayUntilNextMs(kT0), 1);  // slot 0 is due now, yet never a zero delay
  ExpectCapture(s, kT0, 0, 0);
  EXPECT_FALSE(s.Tick(kT0).capture);  // the same slot twice
  EXPECT_FALSE(s.Tick(kT0 + 999).capture);
  EXPECT_EQ(s.DelayUntilNextMs(kT0 + 999), 1);
  // Slot 1 taken 400 ms late: slot 2 is still due at +2000, not at +2400.
  ExpectCapture(s, kT0 + 1400, 1, 0);
  EXPECT_EQ(s.DelayUntilNextMs(kT0 + 1400), 600);
  const ScheduledTick two = s.Tick(kT0 + 2000);
  EXPECT_TRUE(two.capture);
  EXPECT_EQ(two.scheduledMs, kT0 + 2000);
  // Missed by several intervals: the latest due slot is taken, the rest dropped.
  const ScheduledTick late = s.Tick(kT0 + 6500);
  EXPECT_EQ(late.slot, 6);
  EXPECT_EQ(late.skippedSlots, 3);  // slots 3, 4, 5
  EXPECT_EQ(late.scheduledMs, kT0 + 6000);
  EXPECT_EQ(s.DelayUntilNextMs(kT0 + 6500), 500);
  ExpectCapture(s, kT0 + 7000, 7, 0);
}

TEST(CaptureSchedule, PausesShiftTheSchedule) {
  CaptureSchedule s;
  s.Start(kT0, 500);
  ExpectCapture(s, kT0, 0, 0);
  ExpectCapture(s, kT0 + 500, 1, 0);
  s.Pause(kT0 + 700);
  EXPECT_FALSE(s.Tick(kT0 + 1000).capture);
  EXPECT_FALSE(s.DelayUntilNextMs(kT0 + 1000));  // no timer while paused
  s.Pause(kT0 + 2000);                           // a second pause does not restart the paused time
  s.Resume(kT0 + 10'700);                        // 10 s paused
  EXPECT_EQ(s.DelayUntilNextMs(kT0 + 10'700), 300);
  EXPECT_FALSE(s.Tick(kT0 + 10'999).capture);
  const ScheduledTick two = s.Tick(kT0 + 11'000);
  EXPECT_TRUE(two.capture);
  EXPECT_EQ(two.slot, 2);
  EXPECT_EQ(two.skippedSlots, 0);  // the pause is no gap
  EXPECT_EQ(two.scheduledMs, kT0 + 11'000);
  s.Resume(kT0 + 20'000);  // not paused: nothing moves
  ExpectCapture(s, kT0 + 11'500, 3, 0);
  s.Stop();
  EXPECT_FALSE(s.Tick(kT0 + 12'000).capture);
  EXPECT_FALSE(s.DelayUntilNextMs(kT0 + 12'000));
  // A new start begins at slot 0 again, unpaused.
  s.Pause(kT0 + 12'000);
  s.Start(kT0 + 13'000, 100);
  ExpectCapture(s, kT0 + 13'000, 0, 0);
}

TEST(CaptureSchedule, DelayStaysWithinOneMsAndOneIntervalWhateverTheClock) {
  CaptureSchedule s;
  s.Start(kT0, 200);
  s.Tick(kT0 + 50);
  for (std::int64_t now = kT0 - 1000; now < kT0 + 1000; now += 7) {
    const std::optional<std::int64_t> delay = s.DelayUntilNextMs(now);
    ASSERT_TRUE(delay);
    EXPECT_GE(*delay, 1) << now;
    EXPECT_LE(*delay, 200) << now;  // also when the clock went backwards
  }
  s.Start(kT0, 0);  // no division by zero, no zero delay
  EXPECT_EQ(s.IntervalMs(), 1);
  ExpectCapture(s, kT0 + 5, 5, 5);
  EXPECT_EQ(s.DelayUntilNextMs(kT0 + 5), 1);
}

// Three days at 100 ms, driven as a real one-shot timer would be: armed for
// the delay asked, firing up to 15 ms late (the coarse Windows timer). Every
// slot is taken, exactly on its grid, with no drift however long it runs.
TEST(CaptureSchedule, NoDriftOverMillionsOfSlots) {
  CaptureSchedule s;
  s.Start(kT0, 100);
  std::int64_t now = kT0;
  std::uint32_t lcg = 12345;
  constexpr std::int64_t kSlots = 3 * 24 * 36'000;
  for (std::int64_t k = 0; k < kSlots; ++k) {
    const ScheduledTick tick = s.Tick(now);
    ASSERT_TRUE(tick.capture) << k;
    ASSERT_EQ(tick.slot, k);
    ASSERT_EQ(tick.skippedSlots, 0);
    ASSERT_EQ(tick.scheduledMs, kT0 + k * 100);
    lcg = lcg * 1664525u + 1013904223u;
    now += *s.DelayUntilNextMs(now) + static_cast<std::int64_t>(lcg >> 28);  // 0..15 ms late
  }
  EXPECT_LT(now - (kT0 + kSlots * 100), 16);
}

}  // namespace
}  // namespace lumavex
