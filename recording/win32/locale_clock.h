#pragma once
// The platform clocks and the user's locale names that recordings use:
// local time for folder names and the stamp on frames, UTC for times.csv,
// and a steady clock for the schedule of frames.
#include <cstdint>
#include <functional>

#include "recording/recording_state.h"
#include "recording/timestamp.h"

namespace lumavex {

// The current local date and time (GetLocalTime).
CalendarTime CurrentLocalTime();

// The user's abbreviated month names and AM/PM designators. A name the
// platform cannot give falls back to its English form, so a folder name
// never has a hole in it.
LocaleNames UserLocaleNames();

// One instant on both clocks of a recording: the steady clock and UTC.
RecordingMoment ReadRecordingClock();
// The local time of that instant (by the time zone's rules for its date),
// with its milliseconds, for the stamp on a frame.
CalendarTime LocalTimeOf(const CalendarTime& utc);
// The steady clock alone, in milliseconds.
std::int64_t SteadyMilliseconds();

// Tests drive the steady clock themselves so that every frame is accounted
// for; an empty function puts the system's clock back. The wall clock stays
// the system's.
void SetSteadyClockForTests(std::function<std::int64_t()> clock);

}  // namespace lumavex
