#pragma once
// Makes items 0, 1, 2, ... on a thread of its own, at most `ahead` items
// before the one the caller takes, so that the slow part of the next items
// (opening, reading, decoding) overlaps the caller's work on this one.
// Memory stays at `ahead` items whatever their number.
#include <condition_variable>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace lumavex {

enum class AheadTaken { Made, Failed, NotAhead };

// `Item` is swapped in and out, so that its memory is reused.
template <typename Item>
class WorkAhead {
 public:
  // Makes item `index` into `out`; true when it could.
  using Make = std::function<bool(int index, Item& out)>;
  // Runs on the thread: sets up what the thread needs (COM, a decoder),
  // then calls `loop` once with its maker.
  using Body = std::function<void(const std::function<void(const Make&)>& loop)>;
  using Taken = AheadTaken;

  WorkAhead(int count, int ahead, Body body) : count_(count), slots_(ahead) {
    try {
      thread_ = std::thread([this, body = std::move(body)] {
        try {
          body([this](const Make& make) { Loop(make); });
        } catch (...) {
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          broken_ = true;  // finished or failed: whatever was not made, the caller makes
        }
        changed_.notify_all();
      });
    } catch (const std::system_error&) {
      broken_ = true;
    }
  }

  // Stops the thread and waits for it.
  ~WorkAhead() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }
  WorkAhead(const WorkAhead&) = delete;
  WorkAhead& operator=(const WorkAhead&) = delete;

  // Item `index`: when it is the next in order, waits for it and swaps it
  // into `out` (Made), or says it could not be made (Failed). NotAhead when
  // the thread has nothing for it (out of order, or no thread): the caller
  // makes it itself.
  Taken Take(int index, Item& out) {
    if (index < 0 || index >= count_) return Taken::NotAhead;
    std::unique_lock<std::mutex> lock(mutex_);
    Slot& slot = slots_[index % slots_.size()];
    if (index == taken_) changed_.wait(lock, [&] { return slot.ready || broken_; });
    if (index != taken_ || !slot.ready) return Taken::NotAhead;
    ++taken_;
    slot.ready = false;
    const bool made = slot.made;
    if (made) std::swap(out, slot.item);
    lock.unlock();
    changed_.notify_all();
    return made ? Taken::Made : Taken::Failed;
  }

 private:
  struct Slot {
    bool ready = false;
    bool made = false;
    Item item;
  };

  void Loop(const Make& make) {
    const int ahead = static_cast<int>(slots_.size());
    Item item;
    for (int i = 0; i < count_; ++i) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || i - taken_ < ahead; });
        if (stop_) return;
      }
      const bool made = make(i, item);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& slot = slots_[i % ahead];
        slot.made = made;
        if (made) std::swap(slot.item, item);
        slot.ready = true;
      }
      changed_.notify_all();
    }
  }

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
