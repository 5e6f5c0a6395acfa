#pragma once
// Reads and decodes the frames ahead of the conversion, on a thread of its
// own and at most kAhead frames ahead, so that decoding the next frames
// overlaps saving, reading back and writing this one.
#include <functional>
#include <string>

#include "imaging/image.h"
#include "writeavi/work_ahead.h"

namespace lumavex {

class FramePrefetcher {
 public:
  static constexpr int kAhead = 4;

  // Frames 0 to `count` - 1, read from the paths `pathOf` makes on the
  // prefetching thread (one at a time: no list of every path is held).
  FramePrefetcher(int count, std::function<std::string(int)> pathOf);

  // Frame `index`, taken in order 0, 1, 2, ...: waits until it is decoded and
  // swaps its picture into `picture` (Made), or says that it cannot be
  // (Failed: the caller need not try again). NotAhead when the thread has
  // nothing for it (no thread): the caller decodes it itself.
  AheadTaken Take(int index, Image& picture) { return ahead_.Take(index, picture); }

 private:
  const std::function<std::string(int)> pathOf_;
  WorkAhead<Image> ahead_;  // last: its thread calls pathOf_
};

}  // namespace lumavex
