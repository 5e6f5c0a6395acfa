#pragma once
// The files a recording keeps open beside its frames: its times.csv, to
// which the state writes every event, and the scratch folder "~tmp" where
// each frame file is written before it is moved into place.
#include <cstdio>
#include <optional>
#include <string>

#include "recording/recording_members.h"
#include "recording/recording_state.h"
#include "recording/times_csv.h"

namespace lumavex {

// Which file or folder it is, whatever its name now: its volume and its
// number there. A volume of 0 is one the system could not tell (Wine, for a
// file whose folder was renamed since it was opened); the number then
// decides, among the folders of one save folder.
struct FileId {
  unsigned long volume = 0;
  unsigned long high = 0;
  unsigned long low = 0;
  bool operator==(const FileId& o) const {
    return (volume == o.volume || volume == 0 || o.volume == 0) && high == o.high && low == o.low;
  }
};

class RecordingFiles : public RecordingLog {
 public:
  // Opens times.csv in the new recording folder and makes the scratch
  // folder. A log that cannot be opened does not stop the recording: its
  // frames matter more; without a scratch folder each frame file has its
  // temporary beside it.
  void Begin(const std::string& folder);
  void Record(const TimesRecord& record) override { times_.Write(record); }
  // Takes the (empty) scratch folder away, also from a recording folder
  // that was renamed or moved (found through times.csv, open in it), and
  // closes the log.
  void End() override;

  // Empty when the recording has no scratch folder.
  const std::string& ScratchFolder() const { return scratchFolder_; }

 private:
  TimesCsvWriter times_;
  std::string MovedFolder() const;

  std::string folder_;
  std::string scratchFolder_;
  std::optional<FileId> scratchId_;
};

// The folder that holds the open file now, wherever it was moved since it
// was opened; empty when the system cannot tell.
std::string FolderOfOpenFile(std::FILE* file);

}  // namespace lumavex
