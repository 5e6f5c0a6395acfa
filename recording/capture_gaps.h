#pragma once
// Slots without a frame although the recorded window is there: the session
// is locked (or the screen cannot be copied), or the pane gives no picture
// from the screen or from the window. Each gap is logged once as it begins
// (`locked`, `hidden`) and once when frames come again (`unlocked`,
// `shown`), never a line per slot. Portable: the recorder says what each
// tick found and logs the lines returned.
#include <optional>
#include <string>
#include <vector>

#include "recording/times_csv.h"

namespace lumavex {

struct GapLine {
  TimesEvent event;
  std::string detail;
};

inline constexpr const char* kSessionLockedWhy = "the session is locked";
inline constexpr const char* kScreenUncopyableWhy = "the screen cannot be copied";

class CaptureGaps {
 public:
  // Asked before the window is looked at: a locked session takes no frame
  // and never counts the window as lost. Unlocked again, the gap ends here,
  // unless it began with a screen that could not be copied: that one ends
  // only with a frame.
  std::optional<GapLine> Session(bool locked);
  // The screen copy failed: as locked, until a frame is taken.
  std::optional<GapLine> ScreenUncopyable();
  // Neither the screen nor the window gave a picture of the pane.
  std::optional<GapLine> NoPicture(const std::string& why);
  // A frame was taken: the gaps still open end, in the order they are
  // checked (unlocked before shown).
  std::vector<GapLine> FrameTaken();
  // A new recording starts with no gap.
  void Clear() { *this = CaptureGaps(); }

  bool Locked() const { return locked_; }
  bool Hidden() const { return hidden_; }

 private:
  bool locked_ = false;
  bool lockedByCopy_ = false;
  bool hidden_ = false;
};

}  // namespace lumavex
