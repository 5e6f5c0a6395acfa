#pragma once
// What goes when recordings must make room: the user's limits (keep N days,
// a disk budget, the disk reserve) applied to a plain description of the
// recordings under the save folder. Listing the folders and deleting is the
// caller's; the rules are here, so they are the same wherever they run.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "recording/free_space_watch.h"
#include "recording/recording_members.h"

namespace lumavex {

inline constexpr int kMaxKeepDays = 3650;
inline constexpr std::int64_t kMaxKeepMegabytes = 100'000'000;
inline constexpr std::uint64_t kBytesPerMegabyte = 1ull << 20;
// Under a disk budget a sweep stops at this share of it, so that it is not
// due again after the next frame.
inline constexpr std::uint64_t kBudgetStopPercent = 90;
// With a limit chosen, recordings make room before the reserve halts them:
// a sweep starts below the first figure and frees up to the second.
inline constexpr std::uint64_t kReserveSweepBelowBytes = 2 * kDiskReserveBytes;
inline constexpr std::uint64_t kReserveSweepGoalBytes = 3 * kDiskReserveBytes;

// The user's limits; 0 turns each off. With both off nothing is deleted.
struct KeepLimits {
  int days = 0;
  std::int64_t megabytes = 0;
  bool Any() const { return days > 0 || megabytes > 0; }
};

// One of a recording's own entries (recording_members.h), as listed.
struct MemberFile {
  std::string name;
  RecordingMemberKind kind = RecordingMemberKind::None;
  std::int32_t number = -1;
  std::uint64_t bytes = 0;     // for ~tmp, the files in it
  std::int64_t writtenMs = 0;  // last written, UTC milliseconds since 1970
};

// A recording folder directly under the save folder.
struct RecordingOnDisk {
  std::string name;
  // Its age: the time of the last line of its times.csv (UTC ms).
  std::int64_t lastLineMs = 0;
  // Only the recording's own entries; the user's are not listed.
  std::vector<MemberFile> members;
  // The recording being made now: never goes whole, its times.csv and ~tmp
  // stay, its frames and videos go oldest first.
  bool open = false;
  // Another program is at it now (Write Avi converts it, another Lumavex
  // records into it): counted, never touched.
  bool inUse = false;
};

enum class PruneReason { Age, Budget, Reserve };

// Files of one folder that go together, for one reason.
struct PruneStep {
  std::string folder;
  // The whole recording: its times.csv last, then the folder when nothing
  // else is left in it.
  bool whole = false;
  std::vector<MemberFile> files;  // in the order they are deleted
  PruneReason reason = PruneReason::Age;
};

struct PrunePlan {
  std::vector<PruneStep> steps;
  // Bytes of every recording left once the steps are done.
  std::uint64_t totalAfter = 0;
  // The reserve wanted more room than anything that may go could give.
  bool reserveExhausted = false;
};

// In order: recordings older than limits.days go whole, oldest first, then
// the open recording's frames and videos older than that; over the budget,
// the oldest recordings whole and then the open recording's oldest files,
// until the total is at most 90% of it; with `freeBytes` below
// kReserveSweepBelowBytes and a limit on, the same order until the volume
// would have kReserveSweepGoalBytes free.
PrunePlan PlanPruning(const std::vector<RecordingOnDisk>& recordings, const KeepLimits& limits,
                      std::int64_t nowMs, std::optional<std::uint64_t> freeBytes);

// The `pruned` line's detail for files that went: the folder's name (a
// whole recording) or "frames <first>-<last>" (the open recording's), then
// why: "older than 7 days", "disk budget 10240 MB", "disk reserve"; and how
// many could not be deleted, when some could not.
std::string PrunedDetail(const PruneStep& went, const KeepLimits& limits, std::size_t notDeleted = 0);

}  // namespace lumavex
