#pragma once
// Makes items 0, 1, 2, ... on a thread of its own, at most `ahead` items
// before the one the caller takes, so that the slow part of the next items
// (opening, reading, decoding) overlaps the caller's work on this one.
// Memory stays at `ahead` items whatever their number.
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace lumavex {

class WorkAhead {
 public:
  // Makes item `index` into `out`; true when it could.
  using Make = std::function<bool(int index, std::vector<std::uint8_t>& out)>;
  // Runs on the thread: sets up what the thread needs (COM, a decoder),
  // then calls `loop` once with its maker.
  using Body = std::function<void(const std::function<void(const Make&)>& loop)>;

  enum class Taken { Made, Failed, NotAhead };

  WorkAhead(int count, int ahead, Body body);
  ~WorkAhead();  // stops the thread and waits for it
  WorkAhead(const WorkAhead&) = delete;
  WorkAhead& operator=(const WorkAhead&) = delete;

  // Item `index`: when it is the next in order, waits for it and swaps it
  // into `out` (Made), or says it could not be made (Failed). NotAhead when
  // the thread has nothing for it (out of order, or no thread): the caller
  // makes it itself.
  Taken Take(int index, std::vector<std::uint8_t>& out);

 private:
  struct Slot {
    bool ready = false;
    bool made = false;
    std::vector<std::uint8_t> bytes;
  };
  void Loop(const Make& make);

  const int count_;
  std::vector<Slot> slots_;
  int taken_ = 0;        // items handed out so far
  bool stop_ = false;    // the caller is done
  bool broken_ = false;  // the thread gave up: nothing more comes from it
  std::mutex mutex_;
  std::condition_variable changed_;
  std::thread thread_;
};

}  // namespace lumavex
