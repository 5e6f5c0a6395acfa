#pragma once
// What the user sees of a running conversion: File1's selected entry is the
// frame being encoded and Image1 shows it. Painting a window costs far more
// than converting a small frame, so the display follows the frames at a
// pace the eye can follow (at most one update per interval) instead of
// repainting for every frame; Latest() brings it up to the last frame.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace lumavex {

class EncodingDisplay {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(33);

  EncodingDisplay(HWND list, HWND preview) : list_(list), preview_(preview) {}

  // Frame `index` (entry of `list`) is being encoded; `bmp` is its BMP file.
  // The first frame is shown at once, later ones when the interval is up.
  void Frame(int index, const std::vector<std::uint8_t>& bmp);
  // Frame `index` failed: its entry is selected at once, so the user sees
  // which file it was; the preview keeps the last frame shown.
  void Failed(int index);
  // Shows the last frame given to Frame, if it is not shown yet. `bmp` must
  // still be that frame's file.
  void Latest(const std::vector<std::uint8_t>& bmp);

 private:
  void Show(int index, const std::vector<std::uint8_t>& bmp);

  HWND list_;
  HWND preview_;
  int latest_ = -1;
  int shown_ = -1;
  Clock::time_point lastShown_{};
};

}  // namespace lumavex
