#pragma once
// The files a recording keeps open beside its frames: its times.csv, to
// which the state writes every event, and the scratch folder "~tmp" where
// each frame file is written before it is moved into place.
#include <string>

#include "recording/recording_state.h"
#include "recording/times_csv.h"

namespace lumavex {

inline constexpr const char* kTimesFileName = "times.csv";
// A folder of its own inside the recording folder, so that a frame costs one
// new name among the thousands of frames (Wine reads the whole folder to
// look a new name up) and one move. Short enough that a path in it is never
// longer than a frame's.
inline constexpr const char* kScratchFolderName = "~tmp";

class RecordingFiles : public RecordingLog {
 public:
  // Opens times.csv in the new recording folder and makes the scratch
  // folder. A log that cannot be opened does not stop the recording: its
  // frames matter more; without a scratch folder each frame file has its
  // temporary beside it.
  void Begin(const std::string& folder);
  void Record(const TimesRecord& record) override { times_.Write(record); }
  // Closes the log and takes the (empty) scratch folder away.
  void End() override;

  // Empty when the recording has no scratch folder.
  const std::string& ScratchFolder() const { return scratchFolder_; }

 private:
  TimesCsvWriter times_;
  std::string scratchFolder_;
};

}  // namespace lumavex
