#pragma once
// The time stamp that names a recording folder: "dd_mmm_yyyy_hh_mm_ss_AMPM",
// with the month name and the AM/PM designator taken from the user's locale.
#include <array>
#include <string>

namespace lumavex {

struct LocalTime {
  int year;
  int month;  // 1-12
  int day;
  int hour;  // 0-23
  int minute;
  int second;
};

struct LocaleNames {
  std::array<std::string, 12> abbreviatedMonths;
  std::string am, pm;
};

// Jan..Dec, "AM", "PM".
LocaleNames EnglishLocaleNames();

// Example: 14:05:09 on 7 March 2004 gives "07_Mar_2004_02_05_09_PM".
// The hour is on the 12-hour clock (12 for hours 0 and 12). The text is not
// made safe for file names here; the folder name does that as a whole.
// Values outside their ranges never index out of bounds: a month outside 1-12
// is written as its number, an hour is taken modulo 24, and numbers wider
// than their field are written in full.
std::string FormatRecordingTimestamp(const LocalTime& time, const LocaleNames& names);

// The capture time stamped on a frame: "YYYY-MM-DD HH:MM:SS", then ".t" with
// `tenths`: the tenth the millisecond falls in, never rounded up into the
// next second.
std::string FormatStampText(const LocalTime& time, int millisecond, bool tenths);
// Tenths are worth showing when frames come more often than once a second.
bool StampShowsTenths(int intervalMs);

}  // namespace lumavex
