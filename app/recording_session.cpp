#include "app/recording_session.h"

#include <windows.h>

#include "base/path.h"
#include "base/utf8.h"
#include "platform/files.h"

namespace lumavex {

void RecordingSession::Begin(const std::string& folder) {
  times_.Open(JoinPath(folder, kTimesFileName));
  scratchFolder_ = JoinPath(folder, kScratchFolderName);
  scratchJpeg_ = MakeDirectory(scratchFolder_) ? JoinPath(scratchFolder_, kScratchFileName) : std::string();
  if (scratchJpeg_.empty()) scratchFolder_.clear();
}

void RecordingSession::FollowRow(HWND rowWindow, const std::string& rowTitle) {
  rowWindow_ = rowWindow;
  rowTitle_ = rowTitle;
  window = rowWindow;
}

void RecordingSession::Record(const TimesRecord& record) { times_.Write(record); }

void RecordingSession::End() {
  times_.Close();
  frame.Release();
  // Empty unless a killed write left something behind, which then stays.
  if (!scratchFolder_.empty()) ::RemoveDirectoryW(Widen(scratchFolder_).c_str());
  scratchFolder_.clear();
  scratchJpeg_.clear();
}

}  // namespace lumavex
