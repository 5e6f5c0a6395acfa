#include "recording/capture_schedule.h"

#include <algorithm>

namespace lumavex {

bool IsCaptureInterval(int intervalMs) {
  return std::find(kCaptureIntervalsMs.begin(), kCaptureIntervalsMs.end(), intervalMs) !=
         kCaptureIntervalsMs.end();
}

void CaptureSchedule::Start(std::int64_t nowMs, int intervalMs) {
  running_ = true;
  paused_ = false;
  intervalMs_ = std::max(intervalMs, 1);
  originMs_ = nowMs;
  pausedAtMs_ = 0;
  nextSlot_ = 0;
}

void CaptureSchedule::Stop() {
  running_ = false;
  paused_ = false;
}

void CaptureSchedule::Pause(std::int64_t nowMs) {
  if (!running_ || paused_) return;
  paused_ = true;
  pausedAtMs_ = nowMs;
}

void CaptureSchedule::Resume(std::int64_t nowMs) {
  if (!paused_) return;
  paused_ = false;
  originMs_ += std::max<std::int64_t>(nowMs - pausedAtMs_, 0);
}

ScheduledTick CaptureSchedule::Tick(std::int64_t nowMs) {
  ScheduledTick tick;
  if (!running_ || paused_) return tick;
  const std::int64_t elapsed = nowMs - originMs_;
  if (elapsed < nextSlot_ * intervalMs_) return tick;
  // Integer division from the origin each time: a late tick moves nothing
  // after it, and nothing is accumulated that could drift.
  const std::int64_t latest = elapsed / intervalMs_;
  tick.capture = true;
  tick.slot = latest;
  tick.scheduledMs = DueMs(latest);
  tick.skippedSlots = latest - nextSlot_;
  nextSlot_ = latest + 1;
  return tick;
}

std::optional<std::int64_t> CaptureSchedule::DelayUntilNextMs(std::int64_t nowMs) const {
  if (!running_ || paused_) return std::nullopt;
  // The upper bound only matters when the clock went backwards.
  return std::clamp<std::int64_t>(DueMs(nextSlot_) - nowMs, 1, intervalMs_);
}

}  // namespace lumavex
