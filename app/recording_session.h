#pragma once
// What a recording needs beside its rules (recording/recording_state.h):
// the window its frames come from, the row of the list that chose it, the
// frame taken from the screen, and its times.csv, to which the state writes
// every event.
#include <windows.h>

#include <string>

#include "imaging/jpeg/jpeg_output_buffer.h"
#include "imaging/win32/screen_frame.h"
#include "recording/recording_state.h"
#include "recording/times_csv.h"

namespace lumavex {

inline constexpr const char* kTimesFileName = "times.csv";
// Where a JPG frame is written before it is moved into place, whole, in one
// step: a file in a folder of its own inside the recording folder, so that
// a frame costs one new name among the thousands of frames (Wine reads the
// whole folder to look a new name up) and one move. Short enough that its
// path is never longer than a frame's.
inline constexpr const char* kScratchFolderName = "~tmp";
inline constexpr const char* kScratchFileName = "f.jpg";

class RecordingSession : public RecordingLog {
 public:
  // Opens times.csv in the new recording folder and makes the scratch
  // folder. A log that cannot be opened does not stop the recording: its
  // frames matter more; without a scratch folder frames are written in
  // place.
  void Begin(const std::string& folder);
  void Record(const TimesRecord& record) override;
  // Closes the log and takes the (empty) scratch folder away.
  void End() override;

  // The file a JPG frame is written to first; empty when frames are
  // written through the JPEG library's own temporary beside them.
  const std::string& ScratchJpeg() const { return scratchJpeg_; }
  // The encoded frame, its memory kept from frame to frame.
  jpeg::JpegOutputBuffer jpeg{32 * 1024};

  // Follows the row chosen in the list: its window is recorded from now on.
  void FollowRow(HWND rowWindow, const std::string& rowTitle);
  // The row followed now; another one at a tick means the user chose
  // another window.
  bool Follows(HWND rowWindow, const std::string& rowTitle) const {
    return rowWindow == rowWindow_ && rowTitle == rowTitle_;
  }

  // The window frames are taken from: the followed row's, or the window
  // found again under the same title after that one went away.
  HWND window = nullptr;
  ScreenFrame frame;

 private:
  HWND rowWindow_ = nullptr;
  std::string rowTitle_;
  TimesCsvWriter times_;
  std::string scratchFolder_;
  std::string scratchJpeg_;
};

}  // namespace lumavex
