#include "recording/timestamp.h"

#include <algorithm>
#include <string>

#include "base/text.h"

namespace lumavex {
namespace {

// A field of a UTC time, held to what `width` digits can show.
std::string ClampedField(int value, std::size_t width, int maxValue) {
  return ZeroPad(std::clamp(value, 0, maxValue), width);
}

// "YYYY-MM-DD<between>HH:MM:SS", each field written by `field(value, width,
// largest value the width holds)`.
template <typename Field>
std::string DateAndTime(const CalendarTime& time, char between, Field field) {
  std::string text;
  text.reserve(24);
  text += field(time.year, 4, 9999);
  text += '-';
  text += field(time.month, 2, 99);
  text += '-';
  text += field(time.day, 2, 99);
  text += between;
  text += field(time.hour, 2, 99);
  text += ':';
  text += field(time.minute, 2, 99);
  text += ':';
  text += field(time.second, 2, 99);
  return text;
}

std::optional<int> ReadDigits(std::string_view text, std::size_t at, std::size_t width) {
  int value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

}  // namespace

bool operator==(const CalendarTime& a, const CalendarTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second && a.millisecond == b.millisecond;
}

std::string FormatUtcTime(const CalendarTime& time) {
  std::string text = DateAndTime(time, 'T', ClampedField);
  text += '.';
  text += ClampedField(time.millisecond, 3, 999);
  text += 'Z';
  return text;
}

std::optional<CalendarTime> ParseUtcTime(std::string_view text) {
  // Positions of the separators in "YYYY-MM-DDTHH:MM:SS.mmmZ".
  if (text.size() != 24 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != '.' || text[23] != 'Z')
    return std::nullopt;
  const std::optional<int> fields[] = {ReadDigits(text, 0, 4),  ReadDigits(text, 5, 2),
                                       ReadDigits(text, 8, 2),  ReadDigits(text, 11, 2),
                                       ReadDigits(text, 14, 2), ReadDigits(text, 17, 2),
                                       ReadDigits(text, 20, 3)};
  for (const std::optional<int>& field : fields) {
    if (!field) return std::nullopt;
  }
  return CalendarTime{*fields[0], *fields[1], *fields[2], *fields[3], *fields[4], *fields[5], *fields[6]};
}

std::int64_t UtcMilliseconds(const CalendarTime& time) {
  // Days from the civil date, counting years from March so February's
  // length only matters at a year's end.
  const std::int64_t y = time.year - (time.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t monthFromMarch = (time.month + 9) % 12;
  const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + time.day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t days = era * 146097 + dayOfEra - 719468;
  return ((days * 24 + time.hour) * 60 + time.minute) * 60'000 + time.second * 1000LL + time.millisecond;
}

LocaleNames EnglishLocaleNames() {
  return LocaleNames{{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
                     "AM",
                     "PM"};
}

std::string FormatRecordingTimestamp(const CalendarTime& time, const LocaleNames& names) {
  const std::string month = time.month >= 1 && time.month <= 12
                                ? names.abbreviatedMonths[static_cast<std::size_t>(time.month - 1)]
                                : ZeroPad(time.month, 2);
  const int hour24 = ((time.hour % 24) + 24) % 24;
  const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
  const std::string& designator = hour24 < 12 ? names.am : names.pm;

  std::string text;
  text.reserve(32);
  text += ZeroPad(time.day, 2);
  text += '_';
  text += month;
  text += '_';
  text += ZeroPad(time.year, 4);
  text += '_';
  text += ZeroPad(hour12, 2);
  text += '_';
  text += ZeroPad(time.minute, 2);
  text += '_';
  text += ZeroPad(time.second, 2);
  text += '_';
  text += designator;
  return text;
}

std::string FormatStampText(const CalendarTime& time, bool tenths) {
  std::string stamp =
      DateAndTime(time, ' ', [](int value, std::size_t width, int) { return ZeroPad(value, width); });
  if (tenths) {
    stamp += '.';
    stamp += static_cast<char>('0' + std::clamp(time.millisecond, 0, 999) / 100);
  }
  return stamp;
}

bool StampShowsTenths(int intervalMs) { return intervalMs < 1000; }

}  // namespace lumavex
