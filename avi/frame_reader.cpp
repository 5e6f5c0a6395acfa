#include "avi/frame_reader.h"

#include <system_error>
#include <utility>

#include "avi/frame_folder.h"

namespace lumavex {

FrameReader::FrameReader(std::vector<std::string> paths) : paths_(std::move(paths)), slots_(kAhead) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    broken_ = true;
  }
}

FrameReader::~FrameReader() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

bool FrameReader::Take(int index, std::vector<std::uint8_t>& bytes) {
  if (index < 0 || index >= static_cast<int>(paths_.size())) return false;
  std::unique_lock<std::mutex> lock(mutex_);
  Slot& slot = slots_[index % kAhead];
  if (index == taken_) changed_.wait(lock, [&] { return slot.ready || broken_; });
  if (index != taken_ || !slot.ready) {
    // Out of order, or the thread gave up: read it here.
    lock.unlock();
    return ReadFrameFile(paths_[index], bytes);
  }
  ++taken_;
  slot.ready = false;
  const bool read = slot.read;
  if (read) bytes.swap(slot.bytes);
  lock.unlock();
  changed_.notify_all();
  return read;
}

void FrameReader::Run() {
  try {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < static_cast<int>(paths_.size()); ++i) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || i - taken_ < kAhead; });
        if (stop_) break;
      }
      const bool read = ReadFrameFile(paths_[i], bytes);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        Slot& slot = slots_[i % kAhead];
        slot.read = read;
        if (read) slot.bytes.swap(bytes);
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
