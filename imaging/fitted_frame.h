#pragma once
// A decoded frame (the bytes of a 24-bit bottom-up BMP file, as the frame
// decoder gives them) fitted into the video's size. Portable.
#include <cstdint>
#include <vector>

namespace lumavex {

// The width and height a 24-bit BMP file's info header states; false when
// `bmp` is too short to hold the headers.
bool BmpSize(const std::vector<std::uint8_t>& bmp, int& width, int& height);

// Makes `fitted` the BMP file of `bmp`'s picture fitted into width x height
// (aspect kept, centred on black). False when `bmp` is not a whole 24-bit
// bottom-up file or the size is not a valid one; `fitted` is then unchanged.
bool FitBmp24(const std::vector<std::uint8_t>& bmp, int width, int height, std::vector<std::uint8_t>& fitted);

}  // namespace lumavex
