#pragma once
// Progress handed from a conversion's thread to the thread that shows it,
// without ever waiting for it: the worker leaves the latest entry and
// picture here, and only when the slot goes from empty to full does it ask
// the other thread to come (one notice however many updates follow). The
// other thread takes whatever is latest when it gets to it; older updates
// it never saw are simply replaced.
#include <mutex>
#include <optional>

#include "imaging/image.h"

namespace lumavex {

class LatestProgress {
 public:
  // Each returns true when the slot was empty: the caller then sends the
  // one notice that makes the other thread Take.
  bool SetCurrent(int index) {
    std::lock_guard<std::mutex> lock(mutex_);
    current_ = index;
    return Fill();
  }
  bool SetPreview(const Image& picture) {
    std::lock_guard<std::mutex> lock(mutex_);
    picture_ = picture;  // reuses the slot's memory for pictures of one size
    hasPicture_ = true;
    return Fill();
  }

  // What was left since the last Take, emptying the slot: the latest entry
  // (none when only a picture came) and, when one came, the latest picture
  // swapped into `picture`. False when the slot was empty.
  bool Take(std::optional<int>& current, Image& picture, bool& hasPicture) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!full_) return false;
    current = current_;
    hasPicture = hasPicture_;
    if (hasPicture_) picture.swap(picture_);
    current_.reset();
    hasPicture_ = false;
    full_ = false;
    return true;
  }

 private:
  bool Fill() {
    const bool wasEmpty = !full_;
    full_ = true;
    return wasEmpty;
  }

  std::mutex mutex_;
  bool full_ = false;
  std::optional<int> current_;
  bool hasPicture_ = false;
  Image picture_;
};

}  // namespace lumavex
