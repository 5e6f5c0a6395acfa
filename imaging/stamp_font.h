#pragma once
// The small bitmap font of the date stamp on frames: 7 rows high, only the
// characters a date and time need (digits, '-', ':', '.', space). Glyphs are
// as wide as their shape; the stamp puts one blank column between them.
#include <cstdint>

namespace lumavex {

inline constexpr int kStampGlyphHeight = 7;
inline constexpr int kStampGlyphMaxWidth = 5;

struct StampGlyph {
  int width = 0;
  // One bit per pixel, bit (width - 1 - x) of row y is column x.
  std::uint8_t rows[kStampGlyphHeight] = {};
  bool Lit(int x, int y) const { return (rows[y] >> (width - 1 - x)) & 1; }
};

// The glyph of `c`; a blank glyph as wide as a space for any other character.
const StampGlyph& FindStampGlyph(char c);

}  // namespace lumavex
