#include "imaging/time_stamp.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "imaging/stamp_font.h"

namespace lumavex {
namespace {

constexpr std::uint8_t kLight = 255;
constexpr std::uint8_t kDark = 0;

// The text's own columns, without outline.
int TextWidth(std::string_view text) {
  int width = 0;
  for (const char c : text) width += FindStampGlyph(c).width + 1;
  return text.empty() ? 0 : width - 1;
}

// The outlined text's box before clipping; it may reach outside the picture.
StampArea FullArea(std::string_view text, int height) {
  return StampArea{kStampMargin, height - kStampMargin - (kStampGlyphHeight + 2), TextWidth(text) + 2,
                   kStampGlyphHeight + 2};
}

enum Mark : std::uint8_t { kNone, kOutline, kGlyph };

// Glyph pixels, then every pixel touching one (diagonally too) as outline, so
// each stroke is ringed whatever the picture beneath it.
std::vector<std::uint8_t> StampMask(std::string_view text, int maskWidth) {
  std::vector<std::uint8_t> mask(static_cast<std::size_t>(maskWidth) * (kStampGlyphHeight + 2), kNone);
  int left = 1;
  for (const char c : text) {
    const StampGlyph& glyph = FindStampGlyph(c);
    for (int y = 0; y < kStampGlyphHeight; ++y) {
      for (int x = 0; x < glyph.width; ++x) {
        if (glyph.Lit(x, y)) mask[static_cast<std::size_t>(y + 1) * maskWidth + left + x] = kGlyph;
      }
    }
    left += glyph.width + 1;
  }
  for (int y = 1; y <= kStampGlyphHeight; ++y) {
    for (int x = 1; x < maskWidth - 1; ++x) {
      if (mask[static_cast<std::size_t>(y) * maskWidth + x] != kGlyph) continue;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          std::uint8_t& m = mask[static_cast<std::size_t>(y + dy) * maskWidth + x + dx];
          if (m == kNone) m = kOutline;
        }
      }
    }
  }
  return mask;
}

}  // namespace

StampArea TimeStampArea(std::string_view text, int width, int height) {
  if (text.empty() || width <= 0 || height <= 0) return {};
  const StampArea full = FullArea(text, height);
  const int left = std::max(full.x, 0);
  const int top = std::max(full.y, 0);
  const int right = std::min(full.x + full.width, width);
  const int bottom = std::min(full.y + full.height, height);
  if (right <= left || bottom <= top) return {};
  return StampArea{left, top, right - left, bottom - top};
}

void DrawTimeStamp(const Bgr24Target& picture, bool bottomUp, std::string_view text) {
  if (!picture.bits || picture.width <= 0 || picture.height <= 0 ||
      picture.stride < static_cast<std::size_t>(picture.width) * 3)
    return;
  const StampArea area = TimeStampArea(text, picture.width, picture.height);
  if (area.width == 0) return;
  const StampArea full = FullArea(text, picture.height);
  const std::vector<std::uint8_t> mask = StampMask(text, full.width);
  for (int y = area.y; y < area.y + area.height; ++y) {
    const int memoryRow = bottomUp ? picture.height - 1 - y : y;
    std::uint8_t* row = picture.bits + static_cast<std::size_t>(memoryRow) * picture.stride;
    const std::uint8_t* maskRow = mask.data() + static_cast<std::size_t>(y - full.y) * full.width;
    for (int x = area.x; x < area.x + area.width; ++x) {
      const std::uint8_t m = maskRow[x - full.x];
      if (m == kNone) continue;
      std::uint8_t* pixel = row + static_cast<std::size_t>(x) * 3;
      pixel[0] = pixel[1] = pixel[2] = m == kGlyph ? kLight : kDark;
    }
  }
}

}  // namespace lumavex
