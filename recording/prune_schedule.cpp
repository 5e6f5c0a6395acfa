#include "recording/prune_schedule.h"

#include <algorithm>

namespace lumavex {

bool PruneSchedule::Due(std::int64_t nowMs, const KeepLimits& limits,
                        std::optional<std::uint64_t> freeEstimate) const {
  if (!limits.Any()) return false;
  if (!swept_) return true;
  if (limits.days > 0 && (nowMs - sweptAtMs_ >= kKeepDaysSweepMs || nowMs < sweptAtMs_)) return true;
  if (limits.megabytes > 0) {
    const std::uint64_t budget = static_cast<std::uint64_t>(limits.megabytes) * kBytesPerMegabyte;
    // The next frame could be as large as the largest so far.
    if (total_ + writtenSince_ + largestFrame_ > budget) return true;
  }
  // Once nothing more may go, the reserve waits for the next sweep due for
  // another reason, and the recording halts at the reserve as without limits.
  return freeEstimate && *freeEstimate < kReserveSweepBelowBytes && !reserveExhausted_;
}

void PruneSchedule::SweepStarted(std::int64_t nowMs) {
  swept_ = true;
  sweptAtMs_ = nowMs;
  writtenSince_ = 0;
}

void PruneSchedule::SweepDone(std::uint64_t totalAfter, bool reserveExhausted) {
  total_ = totalAfter;
  reserveExhausted_ = reserveExhausted;
}

void PruneSchedule::Written(std::uint64_t bytes) {
  writtenSince_ += bytes;
  largestFrame_ = std::max(largestFrame_, bytes);
}

}  // namespace lumavex
