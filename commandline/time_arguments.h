#pragma once
// The lengths of time --record takes: how long to record and how often to
// take a frame. Read exactly, without floating point, so that edges such as
// 0.1 or 60 seconds are never off by a rounding error.
#include <cstdint>
#include <optional>
#include <string>

#include "recording/capture_schedule.h"

namespace lumavex {

// 24 days: a round limit whose milliseconds still fit the signed 32-bit
// counts that Win32 timers and waits take.
inline constexpr std::int64_t kMaxDurationMs = 24LL * 24 * 60 * 60 * 1000;

// DURATION: a decimal number (digits with an optional fraction, no sign, no
// exponent, no blanks) of seconds, or of the unit an `s`, `m` or `h` right
// after it names (either case): "90", "90s", "15m", "2h", "1.5h". In ms,
// rounded to the nearest with halves up. Nothing for any other text and for a
// result of 0 ms or beyond kMaxDurationMs.
std::optional<std::int64_t> DurationMsFromText(const std::string& text);

// SECONDS between frames: a decimal number as for DURATION without a unit,
// from 0.1 to 60 inclusive (the exact value is compared, so 0.0999 is too
// short), in whole ms rounded to the nearest with halves up.
std::optional<int> IntervalMsFromText(const std::string& text);

}  // namespace lumavex
