#pragma once
// Reads the frame files ahead of the Motion JPEG conversion, on a thread of
// its own and at most kAhead files ahead, so that opening and reading the
// next files (where Wine spends its time) overlaps writing this one. Memory
// stays at kAhead files whatever the number of frames.
#include <cstdint>
#include <string>
#include <vector>

#include "avi/work_ahead.h"

namespace lumavex {

class FrameReader {
 public:
  static constexpr int kAhead = 8;

  explicit FrameReader(std::vector<std::string> paths);

  // File `index`, taken in order 0, 1, 2, ...: waits until it is read and
  // swaps its bytes into `bytes`. False when it could not be read; `bytes`
  // is then unspecified. Without the thread, reads it here.
  bool Take(int index, std::vector<std::uint8_t>& bytes);

  const std::string& path(int index) const { return paths_[index]; }
  int count() const { return static_cast<int>(paths_.size()); }

 private:
  const std::vector<std::string> paths_;
  WorkAhead ahead_;  // last: its thread reads paths_
};

}  // namespace lumavex
