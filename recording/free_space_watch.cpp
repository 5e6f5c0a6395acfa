#include "recording/free_space_watch.h"

#include <algorithm>

namespace lumavex {

bool FreeSpaceWatch::Due(std::int64_t nowMs) const {
  if (!asked_ || !known_) return true;
  if (nowMs - askedAtMs_ >= kFreeSpaceTrustMs || nowMs < askedAtMs_) return true;
  // What could be free after the next frame, with room for it to be several
  // times the largest so far.
  const std::uint64_t headroom = std::max(kFreeSpaceHeadroomBytes, 4 * largestFrame_);
  return free_ < kDiskReserveBytes || free_ - kDiskReserveBytes <= writtenSince_ + headroom;
}

void FreeSpaceWatch::Answer(std::optional<std::uint64_t> freeBytes, std::int64_t nowMs) {
  asked_ = true;
  known_ = freeBytes.has_value();
  free_ = freeBytes.value_or(0);
  askedAtMs_ = nowMs;
  writtenSince_ = 0;
}

void FreeSpaceWatch::Written(std::uint64_t bytes) {
  writtenSince_ += bytes;
  largestFrame_ = std::max(largestFrame_, bytes);
}

}  // namespace lumavex
