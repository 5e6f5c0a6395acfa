#pragma once
// When to take the frames of a recording: slot k falls at the start plus
// k intervals plus the time spent paused before it. The clock is the
// caller's (monotonic milliseconds, passed in), so nothing here waits or
// reads the time. All arithmetic is on 64-bit integers from the start, so
// days at 100 ms drift by nothing.
#include <array>
#include <cstdint>
#include <optional>

namespace lumavex {

// The intervals the user can pick, shortest first.
inline constexpr std::array<int, 9> kCaptureIntervalsMs{100, 200, 500, 1000, 2000, 5000, 10000, 30000, 60000};
inline constexpr int kDefaultCaptureIntervalMs = 1000;
// The range an interval may take elsewhere too (settings.ini, --interval):
// the menu's shortest to its longest.
inline constexpr int kMinCaptureIntervalMs = kCaptureIntervalsMs.front();
inline constexpr int kMaxCaptureIntervalMs = kCaptureIntervalsMs.back();
bool IsCaptureInterval(int intervalMs);

struct ScheduledTick {
  // True: take a frame now, for `slot`.
  bool capture = false;
  std::int64_t slot = 0;
  // When the slot was due, on the caller's clock (pauses included).
  std::int64_t scheduledMs = 0;
  // Slots before `slot` that came and went without a frame (the ticks came
  // too late); they are dropped, not caught up. Slots slot - skipped to
  // slot - 1 are the gap.
  std::int64_t skippedSlots = 0;
};

class CaptureSchedule {
 public:
  // Slot 0 is due at once. An interval below 1 ms is taken as 1 ms. Starting
  // again begins a new schedule and ends any pause.
  void Start(std::int64_t nowMs, int intervalMs);
  void Stop();
  // Ignored unless running and not paused.
  void Pause(std::int64_t nowMs);
  // Ignored unless paused. The paused time shifts every later slot; a clock
  // read earlier than the pause counts as no time paused.
  void Resume(std::int64_t nowMs);

  // A timer tick: takes the latest slot due, if it has not been taken yet.
  // Nothing while stopped or paused, or before the next slot is due.
  ScheduledTick Tick(std::int64_t nowMs);

  // How long to arm a one-shot timer for the next slot: at least 1 ms (a slot
  // already due is answered by a tick 1 ms from now, never by a storm of
  // zero-delay timers) and at most one interval. Nothing while stopped or
  // paused: no timer is needed then.
  std::optional<std::int64_t> DelayUntilNextMs(std::int64_t nowMs) const;

  bool Running() const { return running_; }
  bool Paused() const { return paused_; }
  int IntervalMs() const { return intervalMs_; }
  // The slot the next capture will be at the earliest.
  std::int64_t NextSlot() const { return nextSlot_; }

 private:
  std::int64_t DueMs(std::int64_t slot) const { return originMs_ + slot * intervalMs_; }

  bool running_ = false;
  bool paused_ = false;
  int intervalMs_ = kDefaultCaptureIntervalMs;
  // The start, moved later by every pause.
  std::int64_t originMs_ = 0;
  std::int64_t pausedAtMs_ = 0;
  std::int64_t nextSlot_ = 0;
};

}  // namespace lumavex
