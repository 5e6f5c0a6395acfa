#pragma once
// Before a new recording starts in a save folder: the recordings there that
// did not end (their times.csv ends with no stop, halt or repaired line, and
// no program has it open any more) get their videos repaired, each with a
// `repaired` line in that recording's times.csv, which also marks the
// recording as seen to, so it is looked at once.
#include <string>

#include "recording/timestamp.h"

namespace lumavex {

// `now` (UTC) is the time the lines get. Returns how many videos were
// repaired.
int RepairUnendedRecordings(const std::string& saveFolder, const CalendarTime& now);

}  // namespace lumavex
