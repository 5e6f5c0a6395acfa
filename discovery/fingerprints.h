#pragma once
// Pixel fingerprints of the messenger's webcam pane: the base64 text of the
// one-pixel BMP file that a screen sample gives, stored per colour depth.
#include <cstdint>
#include <string>
#include <vector>

namespace lumavex {

struct Rgb {
  std::uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// The two colours that the pane's surroundings show at the two sample points.
inline constexpr Rgb kFirstSampleColour{47, 74, 143};
inline constexpr Rgb kSecondSampleColour{60, 77, 129};

struct FingerprintPair {
  std::string first;
  std::string second;
};

// The stored pair for a colour depth: 32 and 24 share one, 16 has its own,
// any other depth has none (both empty, so nothing can match).
FingerprintPair FingerprintsForDepth(int depth);

// A colour as a 16-bit 5-6-5 display gives it back.
Rgb ToRgb565(Rgb c);

// The 58-byte one-pixel BMP file of a colour, as saving a 1x1 picture gives it.
std::vector<std::uint8_t> OnePixelBmp(Rgb c);

// The fingerprint of a sample: base64 of its one-pixel BMP file.
std::string PixelFingerprint(Rgb c);
std::string FingerprintOfFile(const std::vector<std::uint8_t>& file);

}  // namespace lumavex
