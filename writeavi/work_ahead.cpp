#include "writeavi/work_ahead.h"

#include <system_error>
#include <utility>

namespace lumavex {

WorkAhead::WorkAhead(int count, int ahead, Body body) : count_(count), slots_(ahead) {
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

WorkAhead::~WorkAhead() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

WorkAhead::Taken WorkAhead::Take(int index, std::vector<std::uint8_t>& out) {
  if (index < 0 || index >= count_) return Taken::NotAhead;
  std::unique_lock<std::mutex> lock(mutex_);
  Slot& slot = slots_[index % slots_.size()];
  if (index == taken_) changed_.wait(lock, [&] { return slot.ready || broken_; });
  if (index != taken_ || !slot.ready) return Taken::NotAhead;
  ++taken_;
  slot.ready = false;
  const bool made = slot.made;
  if (made) out.swap(slot.bytes);
  lock.unlock();
  changed_.notify_all();
  return made ? Taken::Made : Taken::Failed;
}

void WorkAhead::Loop(const Make& make) {
  const int ahead = static_cast<int>(slots_.size());
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < count_; ++i) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || i - taken_ < ahead; });
      if (stop_) return;
    }
    const bool made = make(i, bytes);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      Slot& slot = slots_[i % ahead];
      slot.made = made;
      if (made) slot.bytes.swap(bytes);
      slot.ready = true;
    }
    changed_.notify_all();
  }
}

}  // namespace lumavex
