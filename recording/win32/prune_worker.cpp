#include "recording/win32/prune_worker.h"

#include <system_error>
#include <utility>

namespace lumavex {

bool PruneWorker::Start(SweepRequest request) {
  if (worker_.joinable()) return false;
  cancel_.store(false);
  done_.store(false);
  try {
    worker_ = std::thread([this, request = std::move(request)] {
      outcome_ = SweepSaveFolder(request, cancel_);
      done_.store(true, std::memory_order_release);
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

std::optional<SweepOutcome> PruneWorker::TakeIfDone() {
  if (!worker_.joinable() || !done_.load(std::memory_order_acquire)) return std::nullopt;
  return Finish(false);
}

std::optional<SweepOutcome> PruneWorker::Finish(bool stop) {
  if (!worker_.joinable()) return std::nullopt;
  if (stop) cancel_.store(true);
  worker_.join();
  return std::exchange(outcome_, SweepOutcome{});
}

}  // namespace lumavex
