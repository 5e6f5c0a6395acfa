#include "recording/timestamp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

namespace lumavex {
namespace {

// Decimal with at least `width` digits, zero-filled after any sign.
std::string Padded(int value, std::size_t width) {
  const std::int64_t wide = value;
  std::string digits = std::to_string(wide < 0 ? -wide : wide);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return wide < 0 ? "-" + digits : digits;
}

}  // namespace

LocaleNames EnglishLocaleNames() {
  return LocaleNames{{"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"},
                     "AM",
                     "PM"};
}

std::string FormatRecordingTimestamp(const LocalTime& time, const LocaleNames& names) {
  const std::string month = time.month >= 1 && time.month <= 12
                                ? names.abbreviatedMonths[static_cast<std::size_t>(time.month - 1)]
                                : Padded(time.month, 2);
  const int hour24 = ((time.hour % 24) + 24) % 24;
  const int hour12 = hour24 % 12 == 0 ? 12 : hour24 % 12;
  const std::string& designator = hour24 < 12 ? names.am : names.pm;

  std::string text;
  text.reserve(32);
  text += Padded(time.day, 2);
  text += '_';
  text += month;
  text += '_';
  text += Padded(time.year, 4);
  text += '_';
  text += Padded(hour12, 2);
  text += '_';
  text += Padded(time.minute, 2);
  text += '_';
  text += Padded(time.second, 2);
  text += '_';
  text += designator;
  return text;
}

std::string FormatStampText(const LocalTime& time, int millisecond, bool tenths) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", time.year, time.month, time.day,
                time.hour, time.minute, time.second);
  std::string stamp = text;
  if (tenths) {
    stamp += '.';
    stamp += static_cast<char>('0' + std::clamp(millisecond, 0, 999) / 100);
  }
  return stamp;
}

bool StampShowsTenths(int intervalMs) { return intervalMs < 1000; }

}  // namespace lumavex
