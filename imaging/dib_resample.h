#pragma once
// Bilinear resampling of 24-bit (blue, green, red) pixel rows in place, as
// cDIBSection::Resample does it. Portable: it sees only memory, rows and
// strides, never a bitmap handle. Row 0 is the first row in memory for both
// pictures, so bottom-up pictures stay bottom-up.
#include <cstddef>
#include <cstdint>

#include "imaging/image.h"

namespace lumavex {

// Fills the target from the source by bilinear interpolation:
// xScale = (source width - 1) / target width and yScale likewise, divided in
// double and kept as float, so the last target column and row fall short of
// the source's last ones; each pixel mixes source columns xi, xi + 1 and rows
// yi, yi + 1, first down, then across, each step rounded to nearest with
// halves to even and the result clamped to 0..255.
//
// Throws std::out_of_range (the "subscript out of range" refusal) when the
// source is narrower or lower than 2 pixels, and std::invalid_argument when a
// picture that has pixels to read or write has no memory or a stride too
// short for its rows. Both checks happen before any target byte is written.
// A target with no pixels is left alone.
void ResampleBilinear24(const Bgr24Source& source, const Bgr24Target& target);

// Rounds to the nearest integer, halves to the even neighbour, whatever the
// floating-point rounding mode of the process.
double RoundHalfEven(double v);

}  // namespace lumavex
