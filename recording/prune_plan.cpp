#include "recording/prune_plan.h"

#include <algorithm>
#include <map>
#include <numeric>

#include "recording/frame_naming.h"

namespace lumavex {
namespace {

constexpr std::int64_t kDayMs = 86'400'000;

std::uint64_t BytesOf(const std::vector<MemberFile>& files) {
  return std::accumulate(files.begin(), files.end(), std::uint64_t{0},
                         [](std::uint64_t sum, const MemberFile& file) { return sum + file.bytes; });
}

bool Numbered(const MemberFile& file) {
  return file.kind == RecordingMemberKind::JpgFrame || file.kind == RecordingMemberKind::BmpFrame ||
         file.kind == RecordingMemberKind::Video;
}

// A whole recording goes frames and videos first, its times.csv last: a
// sweep cut short leaves a folder that is still known as a recording.
std::vector<MemberFile> WholeOrder(std::vector<MemberFile> files) {
  const auto rank = [](const MemberFile& file) {
    return file.kind == RecordingMemberKind::TimesCsv ? 2 : file.kind == RecordingMemberKind::Scratch ? 1 : 0;
  };
  std::stable_sort(files.begin(), files.end(),
                   [&](const MemberFile& a, const MemberFile& b) { return rank(a) < rank(b); });
  return files;
}

struct NumberGroup {
  std::int64_t oldestMs = 0;
  std::int64_t newestMs = 0;
  std::vector<MemberFile> files;
};

class Planner {
 public:
  explicit Planner(const std::vector<RecordingOnDisk>& recordings)
      : recordings_(recordings), gone_(recordings.size(), false) {
    for (std::size_t i = 0; i < recordings.size(); ++i) {
      total_ += BytesOf(recordings[i].members);
      if (recordings[i].open && !recordings[i].inUse) {
        open_ = i;
        GroupOpenFiles(recordings[i].members);
      } else if (!recordings[i].open && !recordings[i].inUse) {
        byAge_.push_back(i);
      }
    }
    std::stable_sort(byAge_.begin(), byAge_.end(), [&](std::size_t a, std::size_t b) {
      return recordings[a].lastLineMs != recordings[b].lastLineMs
                 ? recordings[a].lastLineMs < recordings[b].lastLineMs
                 : recordings[a].name < recordings[b].name;
    });
  }

  // Whole recordings, oldest first, while `more` says so.
  template <typename More>
  void TakeWhole(PruneReason reason, More more) {
    for (const std::size_t i : byAge_) {
      if (gone_[i]) continue;
      if (!more(recordings_[i])) break;
      gone_[i] = true;
      total_ -= BytesOf(recordings_[i].members);
      freed_ += BytesOf(recordings_[i].members);
      plan_.steps.push_back(PruneStep{recordings_[i].name, true, WholeOrder(recordings_[i].members), reason});
    }
  }

  // The open recording's files of one number (a frame's JPG and BMP, a
  // video named by that frame), oldest first, while `more` says so.
  template <typename More>
  void TakeOpenFiles(PruneReason reason, More more) {
    if (!open_) return;
    PruneStep step{recordings_[*open_].name, false, {}, reason};
    while (nextOpen_ < openGroups_.size() && more(openGroups_[nextOpen_])) {
      const NumberGroup& group = openGroups_[nextOpen_++];
      for (const MemberFile& file : group.files) {
        total_ -= file.bytes;
        freed_ += file.bytes;
        step.files.push_back(file);
      }
    }
    if (!step.files.empty()) plan_.steps.push_back(std::move(step));
  }

  bool OpenFilesLeft() const { return open_ && nextOpen_ < openGroups_.size(); }
  bool WholeLeft() const {
    return std::any_of(byAge_.begin(), byAge_.end(), [&](std::size_t i) { return !gone_[i]; });
  }
  std::uint64_t total() const { return total_; }
  std::uint64_t freed() const { return freed_; }
  PrunePlan& plan() { return plan_; }

 private:
  void GroupOpenFiles(const std::vector<MemberFile>& members) {
    std::map<std::int32_t, NumberGroup> byNumber;
    for (const MemberFile& file : members) {
      if (!Numbered(file)) continue;
      NumberGroup& group = byNumber[file.number];
      group.oldestMs = group.files.empty() ? file.writtenMs : std::min(group.oldestMs, file.writtenMs);
      group.newestMs = group.files.empty() ? file.writtenMs : std::max(group.newestMs, file.writtenMs);
      group.files.push_back(file);
    }
    for (auto& [number, group] : byNumber) {
      std::sort(group.files.begin(), group.files.end(), [](const MemberFile& a, const MemberFile& b) {
        return a.writtenMs != b.writtenMs ? a.writtenMs < b.writtenMs : a.name < b.name;
      });
      openGroups_.push_back(std::move(group));
    }
    // Oldest first; numbers decide among frames of one moment.
    std::stable_sort(openGroups_.begin(), openGroups_.end(),
                     [](const NumberGroup& a, const NumberGroup& b) { return a.oldestMs < b.oldestMs; });
  }

  const std::vector<RecordingOnDisk>& recordings_;
  std::vector<bool> gone_;
  std::vector<std::size_t> byAge_;
  std::optional<std::size_t> open_;
  std::vector<NumberGroup> openGroups_;
  std::size_t nextOpen_ = 0;
  std::uint64_t total_ = 0;
  std::uint64_t freed_ = 0;
  PrunePlan plan_;
};

std::string ReasonText(PruneReason reason, const KeepLimits& limits) {
  switch (reason) {
    case PruneReason::Age:
      return "older than " + std::to_string(limits.days) + (limits.days == 1 ? " day" : " days");
    case PruneReason::Budget:
      return "disk budget " + std::to_string(limits.megabytes) + " MB";
    case PruneReason::Reserve:
      break;
  }
  return "disk reserve";
}

}  // namespace

PrunePlan PlanPruning(const std::vector<RecordingOnDisk>& recordings, const KeepLimits& limits,
                      std::int64_t nowMs, std::optional<std::uint64_t> freeBytes) {
  Planner planner(recordings);
  if (!limits.Any()) return PrunePlan{{}, planner.total(), false};

  if (limits.days > 0) {
    const std::int64_t before = nowMs - limits.days * kDayMs;
    planner.TakeWhole(PruneReason::Age, [&](const RecordingOnDisk& r) { return r.lastLineMs < before; });
    planner.TakeOpenFiles(PruneReason::Age, [&](const NumberGroup& g) { return g.newestMs < before; });
  }

  if (limits.megabytes > 0) {
    const std::uint64_t budget = static_cast<std::uint64_t>(limits.megabytes) * kBytesPerMegabyte;
    if (planner.total() > budget) {
      const std::uint64_t stopAt = budget / 100 * kBudgetStopPercent;
      const auto over = [&](const auto&) { return planner.total() > stopAt; };
      planner.TakeWhole(PruneReason::Budget, over);
      planner.TakeOpenFiles(PruneReason::Budget, over);
    }
  }

  // What the steps above free counts towards the reserve too.
  if (freeBytes && *freeBytes + planner.freed() < kReserveSweepBelowBytes) {
    const auto short_ = [&](const auto&) { return *freeBytes + planner.freed() < kReserveSweepGoalBytes; };
    planner.TakeWhole(PruneReason::Reserve, short_);
    planner.TakeOpenFiles(PruneReason::Reserve, short_);
    planner.plan().reserveExhausted = *freeBytes + planner.freed() < kReserveSweepGoalBytes &&
                                      !planner.WholeLeft() && !planner.OpenFilesLeft();
  }
  planner.plan().totalAfter = planner.total();
  return std::move(planner.plan());
}

std::string PrunedDetail(const PruneStep& went, const KeepLimits& limits, std::size_t notDeleted) {
  std::string what = went.folder;
  if (!went.whole) {
    std::int32_t first = -1;
    std::int32_t last = -1;
    for (const MemberFile& file : went.files) {
      if (file.number < 0) continue;
      first = first < 0 ? file.number : std::min(first, file.number);
      last = std::max(last, file.number);
    }
    what = first == last ? "frame " + FrameNumberText(first)
                         : "frames " + FrameNumberText(first) + "-" + FrameNumberText(last);
  }
  std::string detail = what + "; " + ReasonText(went.reason, limits);
  if (notDeleted > 0) detail += "; " + std::to_string(notDeleted) + " could not be deleted";
  return detail;
}

}  // namespace lumavex
