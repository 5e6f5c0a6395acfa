#pragma once
// The BMP form in which captured pictures are saved: an uncompressed,
// bottom-up, 24-bit file with a 14-byte file header, a 40-byte info header,
// no colour table, and rows of blue-green-red bytes padded to 4 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumavex {

inline constexpr std::size_t kBmpHeadersSize = 54;

// Bytes per row of a 24-bit bitmap of the given width, padded to 4; 0 for a
// width that is not positive or whose row would not fit in 32 bits.
std::uint32_t Bmp24RowBytes(std::int64_t width);

// The 54 header bytes for a 24-bit bottom-up bitmap of width x height.
// Returns an empty vector when the sizes are not positive or too large.
std::vector<std::uint8_t> Bmp24Headers(std::int32_t width, std::int32_t height);

// A whole BMP file. `rows` holds `height` rows, bottom row first, each
// `stride` bytes apart, of which the first 3 x width are pixels; the pad bytes
// of the file are always written as zero.
std::vector<std::uint8_t> EncodeBmp24(std::int32_t width, std::int32_t height,
                                      const std::uint8_t* rows, std::size_t stride);

}  // namespace lumavex
