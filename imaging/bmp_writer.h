#pragma once
// The BMP form in which captured pictures are saved: an uncompressed,
// bottom-up, 24-bit file with a 14-byte file header, a 40-byte info header,
// no colour table, and rows of blue-green-red bytes padded to 4 bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/image.h"

namespace lumavex {

inline constexpr std::size_t kBmpHeadersSize = 54;
inline constexpr std::size_t kBmpFileHeaderSize = 14;

// The file header that starts every BMP file.
struct BmpFileHeader {
  std::uint16_t type = 0;  // "BM" is 0x4D42
  std::uint32_t size = 0;  // of the whole file
  std::uint16_t reserved1 = 0;
  std::uint16_t reserved2 = 0;
  std::uint32_t bitOffset = 0;  // where the pixel data starts
};

// Little-endian stores, the byte order of every BMP field.
void PutLe16(std::uint8_t* p, std::uint16_t v);
void PutLe32(std::uint8_t* p, std::uint32_t v);

// Writes `header` as the kBmpFileHeaderSize bytes at `bytes`.
void StoreBmpFileHeader(const BmpFileHeader& header, std::uint8_t* bytes);

// Bytes per row of a 24-bit bitmap of the given width, padded to 4; 0 for a
// width that is not positive or whose row would not fit in 32 bits.
std::uint32_t Bmp24RowBytes(std::int64_t width);

// The 54 header bytes for a 24-bit bottom-up bitmap of width x height.
// Returns an empty vector when the sizes are not positive or too large.
std::vector<std::uint8_t> Bmp24Headers(std::int32_t width, std::int32_t height);

// A whole BMP file. `rows` holds `height` rows, bottom row first, each
// `stride` bytes apart, of which the first 3 x width are pixels; the pad bytes
// of the file are always written as zero.
std::vector<std::uint8_t> EncodeBmp24(std::int32_t width, std::int32_t height, const std::uint8_t* rows,
                                      std::size_t stride);

// The whole BMP file of a picture; empty for an empty picture.
std::vector<std::uint8_t> BmpFileOf(const Image& image);

}  // namespace lumavex
