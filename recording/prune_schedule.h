#pragma once
// When the open recording's sweep of the save folder is due: at Start, at
// least once a minute under KeepDays, whenever the bytes written since the
// last sweep could take the recordings over the disk budget (as the disk
// reserve is watched), and when the volume's free space nears the reserve.
// Clock and figures are the caller's.
#include <cstdint>
#include <optional>

#include "recording/prune_plan.h"

namespace lumavex {

inline constexpr std::int64_t kKeepDaysSweepMs = 60'000;

class PruneSchedule {
 public:
  // A new recording: the next look sweeps.
  void Begin() { *this = PruneSchedule(); }
  bool Due(std::int64_t nowMs, const KeepLimits& limits, std::optional<std::uint64_t> freeEstimate) const;
  // A sweep starts now: what is written from here on comes on top of its total.
  void SweepStarted(std::int64_t nowMs);
  // What the sweep found: the recordings' bytes once it was done, and
  // whether the reserve wanted more than may go.
  void SweepDone(std::uint64_t totalAfter, bool reserveExhausted);
  // A frame's files were written.
  void Written(std::uint64_t bytes);
  bool ReserveExhausted() const { return reserveExhausted_; }

 private:
  bool swept_ = false;
  std::int64_t sweptAtMs_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t writtenSince_ = 0;
  std::uint64_t largestFrame_ = 0;
  bool reserveExhausted_ = false;
};

}  // namespace lumavex
