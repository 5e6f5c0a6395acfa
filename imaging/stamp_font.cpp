#include "imaging/stamp_font.h"

namespace lumavex {
namespace {

// Rows top to bottom; digits are the usual 5 x 7 shapes with a plain zero,
// so 0 and 8 stay apart at this size.
constexpr StampGlyph kDigits[10] = {
    {5, {0b01110, 0b10001, 0b10001, 0b10001, 0b10001, 0b10001, 0b01110}},
    {5, {0b00100, 0b01100, 0b00100, 0b00100, 0b00100, 0b00100, 0b01110}},
    {5, {0b01110, 0b10001, 0b00001, 0b00010, 0b00100, 0b01000, 0b11111}},
    {5, {0b11111, 0b00010, 0b00100, 0b00010, 0b00001, 0b10001, 0b01110}},
    {5, {0b00010, 0b00110, 0b01010, 0b10010, 0b11111, 0b00010, 0b00010}},
    {5, {0b11111, 0b10000, 0b11110, 0b00001, 0b00001, 0b10001, 0b01110}},
    {5, {0b00110, 0b01000, 0b10000, 0b11110, 0b10001, 0b10001, 0b01110}},
    {5, {0b11111, 0b00001, 0b00010, 0b00100, 0b01000, 0b01000, 0b01000}},
    {5, {0b01110, 0b10001, 0b10001, 0b01110, 0b10001, 0b10001, 0b01110}},
    {5, {0b01110, 0b10001, 0b10001, 0b01111, 0b00001, 0b00010, 0b01100}},
};
constexpr StampGlyph kDash{3, {0, 0, 0, 0b111, 0, 0, 0}};
// A blank column either side, or the outlines would run the dots into the
// digits beside them.
constexpr StampGlyph kColon{3, {0, 0, 0b010, 0, 0b010, 0, 0}};
constexpr StampGlyph kPoint{3, {0, 0, 0, 0, 0, 0, 0b010}};
constexpr StampGlyph kSpace{2, {}};

}  // namespace

const StampGlyph& FindStampGlyph(char c) {
  if (c >= '0' && c <= '9') return kDigits[c - '0'];
  switch (c) {
    case '-':
      return kDash;
    case ':':
      return kColon;
    case '.':
      return kPoint;
    default:
      return kSpace;
  }
}

}  // namespace lumavex
