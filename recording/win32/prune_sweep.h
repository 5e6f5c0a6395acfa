#pragma once
// One sweep of a save folder for the open recording: lists the recordings
// in it (their times.csv's first and last lines, their own entries with
// sizes and times), asks the rules (recording/prune_plan.h) what goes, and
// deletes that. It runs on a worker (prune_worker.h): a folder of 100,000
// frames takes Wine a noticeable while to list and longer to delete.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "recording/prune_plan.h"

namespace lumavex {

struct SweepRequest {
  std::string savePath;
  std::string openFolder;  // the open recording's folder name in savePath
  std::string openPrefix;  // the prefix of its frames now
  // The open recording's videos numbered from this on are still being
  // written (or about to be): never deleted. -1 when it writes no video.
  std::int32_t openVideosFrom = -1;
  KeepLimits limits;
  std::int64_t nowMs = 0;  // UTC ms since 1970
};

struct SweepOutcome {
  // One `pruned` line's detail per step that deleted anything.
  std::vector<std::string> pruned;
  std::uint64_t totalAfter = 0;
  bool reserveExhausted = false;
};

// Stops between two files once `cancel` is set; what went until then is
// in the outcome.
SweepOutcome SweepSaveFolder(const SweepRequest& request, const std::atomic<bool>& cancel);

}  // namespace lumavex
