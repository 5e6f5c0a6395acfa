#pragma once
// The capture time written on each frame: light text with a dark outline in
// the bottom-left corner, e.g. "2026-12-07 16:03:13" or, for frames less than
// a second apart, "2026-12-07 16:03:13.4" (the text is recording's:
// FormatStampText). Portable: memory, rows and strides only.
#include <string>
#include <string_view>

#include "imaging/image.h"

namespace lumavex {

// Blank columns and rows kept between the outline and the picture's edge.
// With tenths the stamp is 115 columns wide, margin included, well inside
// the 163-pixel pane.
inline constexpr int kStampMargin = 1;

// Top-down pixel coordinates (row 0 is the picture's top).
struct StampArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
// The rectangle DrawTimeStamp may change for `text` on a width x height
// picture: the outlined text at the bottom-left corner, clipped to the
// picture (empty when nothing of it falls inside).
StampArea TimeStampArea(std::string_view text, int width, int height);

// Draws `text` in white outlined in black; pixels of the area between the
// outlines, pad bytes and everything outside the area stay as they were.
// Characters other than digits, '-', ':', '.' and space are left blank.
// `bottomUp`: row 0 in memory is the picture's bottom row, as in a DIB.
// A picture without pixels or memory, or with a stride too short for its
// rows, is left alone.
void DrawTimeStamp(const Bgr24Target& picture, bool bottomUp, std::string_view text);

}  // namespace lumavex
