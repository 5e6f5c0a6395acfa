#include "app/recording_session.h"

#include "base/path.h"

namespace lumavex {

bool RecordingSession::OpenLog(const std::string& folder) {
  return times_.Open(JoinPath(folder, kTimesFileName));
}

void RecordingSession::Record(const TimesRecord& record) { times_.Write(record); }

void RecordingSession::End() {
  times_.Close();
  frame.Release();
}

}  // namespace lumavex
