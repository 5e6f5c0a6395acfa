#pragma once
// Colour conversion and chroma downsampling for one row at a time.
//
// Samples are kept as 16-bit fixed point in eighths (value x 8), already
// level-shifted for the DCT: Y - 128 and Cb, Cr around 0, so a sample lies
// within -1024..1020. The extra bits keep the rounding of the conversion and
// of the chroma averages out of the picture; the DCT divisors take the scale
// back out. Downsampled chroma holds the sum of the 2 or 4 samples, not the
// mean, for the same reason (at most 4 x 1020, well within 16 bits).
#include <cstdint>

namespace lumavex::jpeg {

enum class PixelOrder { Bgr, Rgb };

// Converts `count` 3-byte pixels to Y, Cb and Cr rows.
void ConvertRowToYCbCr(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y,
                       std::int16_t* cb, std::int16_t* cr);
// Converts `count` 3-byte pixels to a Y row only.
void ConvertRowToGray(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y);

// For 4:2:0: converts two rows of `count` pixels to two Y rows and one row
// each of Cb and Cr with (count + 1) / 2 samples. Each chroma sample is
// computed once from the summed colour of a 2x2 pixel square (the last
// column counted twice when count is odd), so it holds the sum of the four
// chroma values, in eighths, rounded once.
void ConvertRowPairTo420(const std::uint8_t* top, const std::uint8_t* bottom, int count, PixelOrder order,
                         std::int16_t* yTop, std::int16_t* yBottom, std::int16_t* cb, std::int16_t* cr);

// Scalar versions, the reference for the SIMD ones and the code used on
// targets without SSE2.
void ConvertRowToYCbCrScalar(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y,
                             std::int16_t* cb, std::int16_t* cr);
void ConvertRowToGrayScalar(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y);
void ConvertRowPairTo420Scalar(const std::uint8_t* top, const std::uint8_t* bottom, int count,
                               PixelOrder order, std::int16_t* yTop, std::int16_t* yBottom, std::int16_t* cb,
                               std::int16_t* cr);

// Copies row[count - 1] into row[count .. paddedCount - 1]: partial blocks at
// the right edge repeat the last column, which keeps them cheap to code.
void ReplicateRightEdge(std::int16_t* row, int count, int paddedCount);

// out[i] = row[2i] + row[2i+1] for i < outCount (a multiple of 8).
void Downsample2x1(const std::int16_t* row, int outCount, std::int16_t* out);

}  // namespace lumavex::jpeg
