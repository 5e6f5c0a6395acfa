#pragma once
// The one date-and-time type of a recording and every text made from it:
// times.csv's UTC time, the stamp that names a recording folder
// ("dd_mmm_yyyy_hh_mm_ss_AMPM", with the month name and the AM/PM designator
// taken from the user's locale) and the stamp drawn on a frame. Each field
// is written by ZeroPad (base/text.h).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumavex {

// A date and time of day as the system's clock gives it, in UTC or in local
// time; which one is the caller's to know.
struct CalendarTime {
  int year = 1970;
  int month = 1;  // 1-12
  int day = 1;
  int hour = 0;  // 0-23
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};
bool operator==(const CalendarTime& a, const CalendarTime& b);

// "YYYY-MM-DDTHH:MM:SS.mmmZ", as times.csv writes a UTC time. Each field is
// clamped to what its width can hold (and to 0 from below), so the text
// always parses back.
std::string FormatUtcTime(const CalendarTime& time);
std::optional<CalendarTime> ParseUtcTime(std::string_view text);

// Milliseconds since 1970-01-01T00:00:00Z of a UTC time (proleptic
// Gregorian calendar), so that ages are a subtraction.
std::int64_t UtcMilliseconds(const CalendarTime& time);

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
std::string FormatRecordingTimestamp(const CalendarTime& time, const LocaleNames& names);

// The capture time stamped on a frame: "YYYY-MM-DD HH:MM:SS", then ".t" with
// `tenths`: the tenth the millisecond falls in, never rounded up into the
// next second.
std::string FormatStampText(const CalendarTime& time, bool tenths);
// Tenths are worth showing when frames come more often than once a second.
bool StampShowsTenths(int intervalMs);

}  // namespace lumavex
