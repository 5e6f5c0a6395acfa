#include "recording/win32/recording_files.h"

#include <windows.h>

#include "base/path.h"
#include "base/utf8.h"
#include "platform/files.h"

namespace lumavex {

void RecordingFiles::Begin(const std::string& folder) {
  times_.Open(JoinPath(folder, kTimesFileName));
  scratchFolder_ = JoinPath(folder, kScratchFolderName);
  if (!MakeDirectory(scratchFolder_)) scratchFolder_.clear();
}

void RecordingFiles::End() {
  times_.Close();
  // Empty unless a killed write left something behind, which then stays.
  if (!scratchFolder_.empty()) ::RemoveDirectoryW(Widen(scratchFolder_).c_str());
  scratchFolder_.clear();
}

}  // namespace lumavex
