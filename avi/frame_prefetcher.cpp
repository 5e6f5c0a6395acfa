#include "avi/frame_prefetcher.h"

#include <objbase.h>

#include <system_error>
#include <utility>

#include "avi/frame_decoder.h"
#include "platform/com_scope.h"

namespace lumavex {

FramePrefetcher::FramePrefetcher(std::vector<std::string> paths) : paths_(std::move(paths)), slots_(kAhead) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    broken_ = true;  // every frame is then decoded by the caller
  }
}

FramePrefetcher::~FramePrefetcher() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool FramePrefetcher::Take(int index, std::vector<std::uint8_t>& bmp) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (index != taken_ || index < 0 || index >= static_cast<int>(paths_.size())) return false;
  Slot& slot = slots_[index % kAhead];
  changed_.wait(lock, [&] { return slot.ready || broken_; });
  ++taken_;
  if (!slot.ready) return false;
  slot.ready = false;
  const bool decoded = slot.decoded;
  if (decoded) bmp.swap(slot.bmp);
  lock.unlock();
  changed_.notify_all();
  return decoded;
}

void FramePrefetcher::Run() {
  // The imaging component's objects are free-threaded.
  const ComScope com(COINIT_MULTITHREADED);
  try {
    FrameDecoder decoder;
    std::vector<std::uint8_t> bmp;
    for (int i = 0; i < static_cast<int>(paths_.size()); ++i) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || i - taken_ < kAhead; });
        if (stop_) break;
      }
      const bool decoded = decoder.DecodeJpeg(paths_[i], bmp);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& slot = slots_[i % kAhead];
        slot.decoded = decoded;
        if (decoded) slot.bmp.swap(bmp);
        slot.ready = true;
      }
      changed_.notify_all();
    }
  } catch (...) {
    std::lock_guard<std::mutex> lock(mutex_);
    broken_ = true;
  }
  changed_.notify_all();
}

}  // namespace lumavex
