#pragma once
// Playback rate of the video from the text the user typed.

#include <string>

namespace lumavex {

constexpr int kMinFrameRate = 1;
constexpr int kMaxFrameRate = 30;

// The leading decimal number of `text` (blanks before it skipped; optional
// sign, digits with an optional fraction, optional exponent: "12.5", "-5",
// ".5", "2e1", "7 fps"), rounded to the nearest whole number with halves to the
// even neighbour and clamped to 1..30. A text that does not begin with a
// number counts as 0 and so gives 1. Any length of digits or exponent is
// handled exactly, without floating point.
int FrameRateFromText(const std::string& text);

}  // namespace lumavex
