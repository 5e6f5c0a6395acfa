#pragma once
// Reads and decodes the frames ahead of the conversion, on a thread of its
// own and at most kAhead frames ahead, so that decoding the next frames
// overlaps saving, reading back and writing this one. Only what the imaging
// component's JPEG decoder takes is decoded there; for anything else Take()
// says so and the conversion decodes it itself, on its own thread, where it
// also reports what it cannot read.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace lumavex {

class FramePrefetcher {
 public:
  static constexpr int kAhead = 4;

  explicit FramePrefetcher(std::vector<std::string> paths);
  ~FramePrefetcher();  // stops the thread and waits for it
  FramePrefetcher(const FramePrefetcher&) = delete;
  FramePrefetcher& operator=(const FramePrefetcher&) = delete;

  // Frame `index`, taken in order 0, 1, 2, ...: waits until it is decoded and
  // swaps its BMP file into `bmp`. False when the thread did not decode it
  // (not a JPEG file, unreadable, no thread); `bmp` is then unspecified.
  bool Take(int index, std::vector<std::uint8_t>& bmp);

 private:
  struct Slot {
    bool ready = false;
    bool decoded = false;
    std::vector<std::uint8_t> bmp;
  };
  void Run();

  const std::vector<std::string> paths_;
  std::vector<Slot> slots_;
  int taken_ = 0;        // frames handed out so far
  bool stop_ = false;    // the conversion ended
  bool broken_ = false;  // the thread gave up: nothing more comes from it
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace lumavex
