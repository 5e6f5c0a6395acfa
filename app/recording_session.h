#pragma once
// What a recording needs beside its rules (recording/recording_state.h):
// the window its frames come from, the row of the list that chose it, the
// frame taken from the screen, and its times.csv, to which the state writes
// every event.
#include <windows.h>

#include <string>

#include "imaging/win32/screen_frame.h"
#include "recording/recording_state.h"
#include "recording/times_csv.h"

namespace lumavex {

inline constexpr const char* kTimesFileName = "times.csv";

class RecordingSession : public RecordingLog {
 public:
  // Opens times.csv in the new recording folder. A log that cannot be
  // opened does not stop the recording: its frames matter more.
  bool OpenLog(const std::string& folder);
  void Record(const TimesRecord& record) override;
  void End() override;

  // The window frames are taken from: the selected row's, or the window
  // found again under the same title after that one went away.
  HWND window = nullptr;
  // The row seen at the last tick; another row means the user chose
  // another window.
  HWND rowWindow = nullptr;
  std::string rowTitle;
  ScreenFrame frame;

 private:
  TimesCsvWriter times_;
};

}  // namespace lumavex
