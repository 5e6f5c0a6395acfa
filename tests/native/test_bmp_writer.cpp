#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "imaging/bmp_writer.h"

namespace lumavex {
namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& f, std::size_t at) {
  return f[at] | f[at + 1] << 8 | f[at + 2] << 16 | static_cast<std::uint32_t>(f[at + 3]) << 24;
}

TEST(BmpWriter, OnePixelFileIsExactlyTheFiftyEightByteForm) {
  const std::uint8_t pixel[4] = {0x8f, 0x4a, 0x2f, 0xAA};  // pad byte must not leak
  const std::vector<std::uint8_t> expected = {
      'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                     // file header
      40,  0,   0,  0, 1, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,  // info header
      4,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0, 0x8f, 0x4a, 0x2f, 0};
  EXPECT_EQ(EncodeBmp24(1, 1, pixel, 4), expected);
}

TEST(BmpWriter, RowsArePaddedToFourBytesForWidthsOneToFive) {
  const std::uint32_t expected_row[] = {0, 4, 8, 12, 12, 16};
  for (int w = 1; w <= 5; ++w) {
    const int h = 3;
    const std::size_t stride = 64;
    std::vector<std::uint8_t> src(stride * h, 0xEE);  // junk beyond each row's pixels
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w * 3; ++x) src[y * stride + x] = static_cast<std::uint8_t>(y * 50 + x);

    const std::vector<std::uint8_t> f = EncodeBmp24(w, h, src.data(), stride);
    const std::uint32_t row = expected_row[w];
    ASSERT_EQ(Bmp24RowBytes(w), row);
    ASSERT_EQ(f.size(), 54 + row * h) << w;
    EXPECT_EQ(Le32(f, 2), f.size());
    EXPECT_EQ(Le32(f, 18), static_cast<std::uint32_t>(w));
    EXPECT_EQ(Le32(f, 22), static_cast<std::uint32_t>(h));
    EXPECT_EQ(Le32(f, 34), row * h);
    for (int y = 0; y < h; ++y) {
      for (std::uint32_t x = 0; x < row; ++x) {
        const std::uint8_t want = x < static_cast<std::uint32_t>(w * 3) ? src[y * stride + x] : 0;
        EXPECT_EQ(f[54 + y * row + x], want) << "w=" << w << " y=" << y << " x=" << x;
      }
    }
  }
}

TEST(BmpWriter, RefusesSizesItCannotRepresent) {
  const std::uint8_t px[4] = {};
  EXPECT_TRUE(EncodeBmp24(0, 1, px, 4).empty());
  EXPECT_TRUE(EncodeBmp24(1, 0, px, 4).empty());
  EXPECT_TRUE(EncodeBmp24(-3, 2, px, 4).empty());
  EXPECT_TRUE(EncodeBmp24(1, 1, nullptr, 4).empty());
  EXPECT_TRUE(Bmp24Headers(0x7FFFFFFF, 0x7FFFFFFF).empty());
  EXPECT_EQ(Bmp24RowBytes(163), 492u);
}

}  // namespace
}  // namespace lumavex
