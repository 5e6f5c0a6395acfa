#include "recording/video_segments.h"

#include <algorithm>
#include <numeric>

namespace lumavex {

VideoSegments::VideoSegments(int intervalMs, int segmentSeconds) : intervalMs_(std::max(intervalMs, 1)) {
  // interval / 1000 s as the smallest fraction: 100 ms gives 1/10 (rate 10),
  // 2000 ms 2/1, 60000 ms 60/1.
  const int divisor = std::gcd(intervalMs_, 1000);
  scale_ = static_cast<std::uint32_t>(intervalMs_ / divisor);
  rate_ = static_cast<std::uint32_t>(1000 / divisor);
  // A file covers at most segmentSeconds, and at least one slot.
  segmentSlots_ = std::max<std::int64_t>(std::int64_t{segmentSeconds} * 1000 / intervalMs_, 1);
}

std::uint32_t VideoSegments::RefreshSlots() const {
  return static_cast<std::uint32_t>(std::max(kVideoRefreshMs / intervalMs_, 1));
}

VideoStep VideoSegments::Next(std::int64_t slot) {
  VideoStep step;
  const std::int64_t missed = slot - lastSlot_ - 1;
  if (!open_ || missed < 0 || missed > kMaxHeldSlots || slot - firstSlot_ >= segmentSlots_) {
    step.newFile = true;
    open_ = true;
    firstSlot_ = slot;
  } else {
    step.held = static_cast<std::uint32_t>(missed);
  }
  lastSlot_ = slot;
  return step;
}

}  // namespace lumavex
