#include "recording/win32/unended_recordings.h"

#include <windows.h>
#include <share.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "avi/mjpeg_avi_repair.h"
#include "base/file.h"
#include "base/path.h"
#include "base/utf8.h"
#include "platform/files.h"
#include "recording/recording_end.h"
#include "recording/recording_members.h"
#include "recording/times_csv.h"

namespace lumavex {
namespace {

// Opened for reading while nobody writes it: a program still recording
// into it (another Lumavex) holds it open for writing, and then this fails.
UniqueStdFile OpenUnwritten(const std::string& path) {
  return UniqueStdFile(::_wfsopen(Widen(path).c_str(), L"rb", _SH_DENYWR));
}

// The recording in `folder` did not end, and nobody is writing its log.
bool Unended(const std::string& folder) {
  const UniqueStdFile times = OpenUnwritten(JoinPath(folder, kTimesFileName));
  if (!times) return false;
  const std::uint64_t length = FileLength(times.get()).value_or(0);
  const std::uint64_t from = length > kTimesTailBytes ? length - kTimesTailBytes : 0;
  std::string tail(static_cast<std::size_t>(length - from), '\0');
  if (!SeekFile(times.get(), from) || std::fread(tail.data(), 1, tail.size(), times.get()) != tail.size())
    return false;
  return !TimesTailEnded(tail, from == 0);
}

// The repair of one video, as its line in times.csv says it; empty when it
// needed none.
std::string RepairVideo(const std::string& folder, const std::string& name) {
  const std::string path = JoinPath(folder, name);
  {
    const UniqueStdFile video = OpenUnwritten(path);
    if (!video) return {};
    const AviChunkScan scan = ScanMjpegAvi(video.get());
    // Not ours, or nothing to do.
    if (!scan.problem.empty() || scan.finished) return {};
  }
  const AviRepair repair = RepairMjpegAvi(path);
  if (!repair.ok) return name + ": not repaired, " + repair.problem;
  return name + ": " + std::to_string(repair.frames) + " frames";
}

}  // namespace

int RepairUnendedRecordings(const std::string& saveFolder, const CalendarTime& now) {
  int repaired = 0;
  for (const FolderEntry& recording : ListFolder(saveFolder)) {
    if (!recording.folder) continue;
    const std::string folder = JoinPath(saveFolder, recording.name);
    if (!Unended(folder)) continue;
    std::vector<std::string> lines;
    std::vector<FolderEntry> entries = ListFolder(folder);
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    for (const FolderEntry& entry : entries) {
      const std::optional<NumberedName> numbered = SplitNumberedName(entry.name);
      if (entry.folder || !numbered || numbered->extension != ".avi") continue;
      const std::string line = RepairVideo(folder, entry.name);
      if (line.empty()) continue;
      lines.push_back(line);
      ++repaired;
    }
    // One line at least: the recording is seen to, and not looked at again.
    if (lines.empty()) lines.push_back("no video to repair");
    TimesCsvWriter times;
    if (!times.Open(JoinPath(folder, kTimesFileName))) continue;
    for (const std::string& line : lines)
      times.Write(TimesRecord{now, TimesEvent::Repaired, std::nullopt, line});
  }
  return repaired;
}

}  // namespace lumavex
