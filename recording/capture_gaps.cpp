#include "recording/capture_gaps.h"

namespace lumavex {

std::optional<GapLine> CaptureGaps::Session(bool locked) {
  if (locked) {
    lockedByCopy_ = false;  // the lock ends it now, not a frame
    if (locked_) return std::nullopt;
    locked_ = true;
    return GapLine{TimesEvent::Locked, kSessionLockedWhy};
  }
  if (!locked_ || lockedByCopy_) return std::nullopt;
  locked_ = false;
  return GapLine{TimesEvent::Unlocked, {}};
}

std::optional<GapLine> CaptureGaps::ScreenUncopyable() {
  if (locked_) return std::nullopt;
  locked_ = lockedByCopy_ = true;
  return GapLine{TimesEvent::Locked, kScreenUncopyableWhy};
}

std::optional<GapLine> CaptureGaps::NoPicture(const std::string& why) {
  if (hidden_) return std::nullopt;
  hidden_ = true;
  return GapLine{TimesEvent::Hidden, why};
}

std::vector<GapLine> CaptureGaps::FrameTaken() {
  std::vector<GapLine> lines;
  if (locked_) lines.push_back({TimesEvent::Unlocked, {}});
  if (hidden_) lines.push_back({TimesEvent::Shown, {}});
  locked_ = lockedByCopy_ = hidden_ = false;
  return lines;
}

}  // namespace lumavex
