#include "recording/win32/recording_files.h"

#include <windows.h>
#include <io.h>

#include <optional>
#include <vector>

#include "base/path.h"
#include "base/utf8.h"
#include "platform/files.h"
#include "platform/kernel.h"

namespace lumavex {
namespace {

std::optional<FileId> IdOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileId{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

std::optional<FileId> IdOfPath(const std::string& path) {
  // Asks for its attributes only, so the log's own writer does not stand in
  // the way; a folder opens only with backup semantics.
  const UniqueFile file(::CreateFileW(Widen(path).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file ? IdOf(file.get()) : std::nullopt;
}

HANDLE HandleOf(std::FILE* file) {
  return file ? reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))) : INVALID_HANDLE_VALUE;
}

}  // namespace

void RecordingFiles::Begin(const std::string& folder) {
  folder_ = folder;
  times_.Open(JoinPath(folder, kTimesFileName));
  scratchFolder_ = JoinPath(folder, kScratchFolderName);
  if (!MakeDirectory(scratchFolder_)) scratchFolder_.clear();
  scratchId_ = IdOfPath(scratchFolder_);
}

void RecordingFiles::End() {
  // Only the scratch folder made at Begin goes, and only when empty (a
  // killed write's leftover stays): not one of that name made since by
  // someone else.
  const auto isOurs = [&](const std::string& scratch) {
    return PathExists(scratch) && (!scratchId_ || IdOfPath(scratch) == scratchId_);
  };
  std::string scratch = scratchFolder_;
  // The recording folder was renamed or moved (the Recycle Bin moves it
  // too), and its scratch folder went with it. A folder removed for good
  // took it along.
  if (!scratch.empty() && !isOurs(scratch)) {
    const std::string movedTo = MovedFolder();
    scratch = movedTo.empty() ? std::string() : JoinPath(movedTo, kScratchFolderName);
  }
  if (!scratch.empty() && isOurs(scratch)) ::RemoveDirectoryW(Widen(scratch).c_str());
  times_.Close();
  scratchFolder_.clear();
  scratchId_.reset();
  folder_.clear();
}

// The folder that holds times.csv now: where the system says the open file
// is, or else a folder beside the old one with that very file in it (a
// rename in place). A folder counts only when its times.csv is ours, so a
// new folder of someone else's is never touched.
std::string RecordingFiles::MovedFolder() const {
  const std::optional<FileId> ours = IdOf(HandleOf(times_.stream()));
  if (!ours) return {};
  const auto isOurs = [&](const std::string& folder) {
    return folder != folder_ && IdOfPath(JoinPath(folder, kTimesFileName)) == ours;
  };
  if (const std::string told = FolderOfOpenFile(times_.stream()); !told.empty() && isOurs(told)) return told;
  const std::size_t slash = folder_.find_last_of('\\');
  if (slash == std::string::npos) return {};
  const std::string parent = folder_.substr(0, slash);
  for (const FolderEntry& entry : ListFolder(parent))
    if (entry.folder && isOurs(JoinPath(parent, entry.name))) return JoinPath(parent, entry.name);
  return {};
}

std::string FolderOfOpenFile(std::FILE* file) {
  const HANDLE handle = HandleOf(file);
  if (handle == INVALID_HANDLE_VALUE) return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                                FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(n);  // the size it needs, its NUL included
  }
  // The name comes as "\\?\C:\..." or "\\?\UNC\server\share\...".
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path.replace(0, 8, L"\\\\");
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path.erase(0, 4);
  }
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  return Narrow(std::wstring_view(path).substr(0, slash));
}

}  // namespace lumavex
