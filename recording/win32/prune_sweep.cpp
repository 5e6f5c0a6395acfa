#include "recording/win32/prune_sweep.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/path.h"
#include "base/utf8.h"
#include "platform/files.h"
#include "platform/folder_marks.h"
#include "platform/kernel.h"
#include "recording/recording_folder_facts.h"
#include "recording/recording_members.h"

namespace lumavex {
namespace {

// A conversion may begin while a step runs: it is asked again this often.
constexpr std::size_t kFilesBetweenConversionChecks = 256;

std::string ReadAt(HANDLE file, std::uint64_t offset, std::size_t size) {
  std::string bytes(size, '\0');
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!::ReadFile(file, bytes.data(), static_cast<DWORD>(size), &read, &at)) read = 0;
  bytes.resize(read);
  return bytes;
}

struct LogLook {
  RecordingLogFacts facts;
  // Another program writes it now: another Lumavex records into the folder.
  bool inUse = false;
};

std::optional<LogLook> LookAtLog(const std::string& folder) {
  const std::wstring path = Widen(JoinPath(folder, kTimesFileName));
  LogLook look;
  // Refusing others the right to write fails while a writer has it open.
  UniqueFile file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) {
    if (::GetLastError() != ERROR_SHARING_VIOLATION) return std::nullopt;
    look.inUse = true;
    file.reset(::CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                             0, nullptr));
    if (!file) return std::nullopt;
  }
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file.get(), &size)) return std::nullopt;
  const auto bytes = static_cast<std::uint64_t>(size.QuadPart);
  const std::string head =
      ReadAt(file.get(), 0, static_cast<std::size_t>(std::min<std::uint64_t>(bytes, kLogHeadBytes)));
  const bool tailIsWhole = bytes <= kLogTailBytes;
  const std::string tail = tailIsWhole ? head : ReadAt(file.get(), bytes - kLogTailBytes, kLogTailBytes);
  look.facts = ReadRecordingLogFacts(head, tail, tailIsWhole);
  if (!look.facts.recording) return std::nullopt;
  return look;
}

std::uint64_t ScratchBytes(const std::string& scratch) {
  std::uint64_t bytes = 0;
  for (const FolderEntry& entry : ListFolder(scratch))
    if (!entry.folder) bytes += entry.bytes;
  return bytes;
}

// The recording's own entries of a folder whose frames carry `prefix`.
std::vector<MemberFile> MembersOf(const std::string& folder, const std::vector<FolderEntry>& entries,
                                  const std::string& prefix) {
  std::vector<MemberFile> members;
  for (const FolderEntry& entry : entries) {
    const RecordingMember member = ClassifyRecordingEntry(entry.name, entry.folder, prefix);
    if (member.kind == RecordingMemberKind::None) continue;
    const std::uint64_t bytes = member.kind == RecordingMemberKind::Scratch
                                    ? ScratchBytes(JoinPath(folder, entry.name))
                                    : entry.bytes;
    members.push_back(MemberFile{entry.name, member.kind, member.number, bytes, entry.writtenMs});
  }
  return members;
}

std::optional<RecordingOnDisk> DescribeFolder(const SweepRequest& request, const std::string& name) {
  const std::string folder = JoinPath(request.savePath, name);
  RecordingOnDisk recording;
  recording.name = name;
  std::optional<LogLook> log;
  if (name != request.openFolder) {
    log = LookAtLog(folder);
    if (!log) return std::nullopt;  // no recording: never touched
  }
  const std::vector<FolderEntry> entries = ListFolder(folder);
  std::string prefix = request.openPrefix;
  if (!log) {
    recording.open = true;
  } else {
    recording.lastLineMs = log->facts.lastLineMs;
    recording.inUse = log->inUse;
    std::vector<std::string> names;
    for (const FolderEntry& entry : entries)
      if (!entry.folder) names.push_back(entry.name);
    prefix = RecordingPrefixAmong(names, log->facts.title);
  }
  recording.inUse = recording.inUse || FolderBeingConverted(folder);
  recording.members = MembersOf(folder, entries, prefix);
  if (!log && request.openVideosFrom >= 0) {
    // An open file deleted under its writer would lose every frame after.
    std::vector<MemberFile>& members = recording.members;
    members.erase(std::remove_if(members.begin(), members.end(),
                                 [&](const MemberFile& file) {
                                   return file.kind == RecordingMemberKind::Video &&
                                          file.number >= request.openVideosFrom;
                                 }),
                  members.end());
  }
  return recording;
}

// Deletes a step's files; the step that comes back holds those that went.
PruneStep Delete(const PruneStep& step, const std::string& savePath, const std::atomic<bool>& cancel,
                 std::size_t& notDeleted) {
  const std::string folder = JoinPath(savePath, step.folder);
  PruneStep went{step.folder, step.whole, {}, step.reason};
  std::size_t sinceCheck = kFilesBetweenConversionChecks;
  for (const MemberFile& file : step.files) {
    if (cancel.load(std::memory_order_relaxed)) return went;
    if (sinceCheck++ >= kFilesBetweenConversionChecks) {
      if (FolderBeingConverted(folder)) return went;
      sinceCheck = 1;
    }
    const std::string path = JoinPath(folder, file.name);
    bool gone = false;
    if (file.kind == RecordingMemberKind::Scratch) {
      // Only the files a killed write left in it; a folder inside keeps it.
      for (const FolderEntry& entry : ListFolder(path))
        if (!entry.folder) ::DeleteFileW(Widen(JoinPath(path, entry.name)).c_str());
      gone = ::RemoveDirectoryW(Widen(path).c_str()) != 0;
    } else {
      gone = ::DeleteFileW(Widen(path).c_str()) != 0;
    }
    if (gone) {
      went.files.push_back(file);
    } else {
      ++notDeleted;
    }
  }
  // The user's own files keep the folder.
  if (step.whole && notDeleted == 0) ::RemoveDirectoryW(Widen(folder).c_str());
  return went;
}

}  // namespace

SweepOutcome SweepSaveFolder(const SweepRequest& request, const std::atomic<bool>& cancel) {
  std::vector<RecordingOnDisk> recordings;
  for (const FolderEntry& entry : ListFolder(request.savePath)) {
    if (cancel.load(std::memory_order_relaxed)) return {};
    if (!entry.folder) continue;
    if (std::optional<RecordingOnDisk> recording = DescribeFolder(request, entry.name))
      recordings.push_back(std::move(*recording));
  }
  const PrunePlan plan =
      PlanPruning(recordings, request.limits, request.nowMs, FreeSpaceOfVolume(request.savePath));
  SweepOutcome outcome;
  outcome.totalAfter = plan.totalAfter;
  outcome.reserveExhausted = plan.reserveExhausted;
  for (const PruneStep& step : plan.steps) {
    std::size_t notDeleted = 0;
    const PruneStep went = Delete(step, request.savePath, cancel, notDeleted);
    if (!went.files.empty()) outcome.pruned.push_back(PrunedDetail(went, request.limits, notDeleted));
  }
  return outcome;
}

}  // namespace lumavex
