#pragma once
// Reads and decodes the frames ahead of the conversion, on a thread of its
// own and at most kAhead frames ahead, so that decoding the next frames
// overlaps saving, reading back and writing this one. Only what the imaging
// component's JPEG decoder takes is decoded there; for anything else Take()
// says so and the conversion decodes it itself, on its own thread, where it
// also reports what it cannot read.
#include <string>
#include <vector>

#include "imaging/image.h"
#include "writeavi/work_ahead.h"

namespace lumavex {

class FramePrefetcher {
 public:
  static constexpr int kAhead = 4;

  explicit FramePrefetcher(std::vector<std::string> paths);

  // Frame `index`, taken in order 0, 1, 2, ...: waits until it is decoded and
  // swaps its picture into `picture`. False when the thread did not decode
  // it (not a JPEG file, unreadable, no thread); `picture` is then
  // unspecified.
  bool Take(int index, Image& picture) { return ahead_.Take(index, picture) == AheadTaken::Made; }

 private:
  const std::vector<std::string> paths_;
  WorkAhead<Image> ahead_;  // last: its thread reads paths_
};

}  // namespace lumavex
