#pragma once
// What the user sees of a running conversion: the view's current entry is
// the frame being encoded and its preview shows it. Painting a window costs
// far more than converting a small frame, so the display follows the frames
// at a pace the eye can follow (at most one update per interval) instead of
// repainting for every frame; the last frame is shown at the end.
#include <chrono>

#include "imaging/image.h"

namespace lumavex {

class ConversionView;

class EncodingDisplay {
 public:
  using Clock = std::chrono::steady_clock;
  // Ten updates a second: enough to watch the conversion go, while decoding
  // and painting the preview stay a small share of a fast conversion.
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(100);

  explicit EncodingDisplay(ConversionView& view) : view_(view) {}

  // Frame `index` is being encoded now.
  void Encoding(int index) { latest_ = index; }
  // True when the display is due an update (the first frame at once, later
  // ones when the interval is up): the caller then passes the picture of
  // the frame being encoded to Show.
  bool Due() const;
  void Show(int index, const Image& picture);
  // Encoding, then Show when due.
  void Frame(int index, const Image& picture) {
    Encoding(index);
    if (Due()) Show(index, picture);
  }
  // True when the frame being encoded is not the one shown.
  bool Behind() const { return latest_ >= 0 && latest_ != shown_; }
  int latest() const { return latest_; }
  // Selects entry `index` at once, so the user sees where a conversion
  // stopped; the preview keeps the last frame shown.
  void Select(int index);

 private:
  ConversionView& view_;
  int latest_ = -1;
  int shown_ = -1;
  Clock::time_point lastShown_{};
};

}  // namespace lumavex
