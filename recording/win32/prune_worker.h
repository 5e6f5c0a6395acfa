#pragma once
// Runs the open recording's sweeps (prune_sweep.h) on a thread of their
// own, one at a time, so that no tick waits for a folder of thousands of
// files to be listed or deleted. The recorder starts a sweep, looks at each
// tick whether it is done, and waits for it only when the recording ends
// (after asking it to stop between two files).
#include <atomic>
#include <optional>
#include <thread>

#include "recording/win32/prune_sweep.h"

namespace lumavex {

class PruneWorker {
 public:
  PruneWorker() = default;
  PruneWorker(const PruneWorker&) = delete;
  PruneWorker& operator=(const PruneWorker&) = delete;
  ~PruneWorker() { Finish(true); }

  // False when a sweep is running already or no thread could be made.
  bool Start(SweepRequest request);
  bool Busy() const { return worker_.joinable(); }
  // The outcome of a sweep that has ended; nothing while one runs or none ran.
  std::optional<SweepOutcome> TakeIfDone();
  // Waits for the running sweep, stopped between two files when `stop`;
  // nothing when none ran.
  std::optional<SweepOutcome> Finish(bool stop);

 private:
  std::thread worker_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> done_{false};
  SweepOutcome outcome_;  // the worker's until done_
};

}  // namespace lumavex
