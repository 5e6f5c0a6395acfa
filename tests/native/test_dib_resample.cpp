#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "imaging/dib_resample.h"

namespace lumavex {
namespace {

// A 24-bit picture in its own memory, rows padded to 4 bytes like a DIB.
// The memory is exactly rows x stride, so ASan catches any read past it.
struct Pixels {
  int width;
  int height;
  std::size_t stride;
  std::vector<std::uint8_t> bytes;

  Pixels(int w, int h, std::uint8_t fill = 0)
      : width(w),
        height(h),
        stride((3 * static_cast<std::size_t>(w) + 3) & ~std::size_t{3}),
        bytes(stride * static_cast<std::size_t>(h), fill) {}

  std::uint8_t& at(int x, int y, int c) { return bytes[static_cast<std::size_t>(y) * stride + 3 * x + c]; }
  void set(int x, int y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    at(x, y, 0) = b;
    at(x, y, 1) = g;
    at(x, y, 2) = r;
  }
  Bgr24Source source() const { return {bytes.data(), stride, width, height}; }
  Bgr24Target target() { return {bytes.data(), stride, width, height}; }
};

// 2 x 2 source with one byte value per corner in every channel; row 0 is the
// first row in memory.
Pixels Corners(std::uint8_t a, std::uint8_t b, std::uint8_t p, std::uint8_t q) {
  Pixels s(2, 2);
  s.set(0, 0, a, a, a);
  s.set(1, 0, b, b, b);
  s.set(0, 1, p, p, p);
  s.set(1, 1, q, q, q);
  return s;
}

TEST(ResampleBilinear, TwoByTwoToFourByFourMatchesHandValues) {
  const Pixels src = Corners(0, 100, 200, 40);
  Pixels dst(4, 4, 0xEE);
  ResampleBilinear24(src.source(), dst.target());
  // Scale 0.25 both ways: positions 0, .25, .5, .75 between the two columns
  // and rows. Down first (a..p, b..q), then across, each rounded half-even.
  const int expected[4][4] = {
      // x: 0    1    2    3          y
      {0, 25, 50, 75},      // 0: left 0, right 100
      {50, 59, 68, 76},     // 1: left 50 (0..200 at .25), right 85 (100..40 at .25)
      {100, 92, 85, 78},    // 2: left 100, right 70; 92.5 -> 92, 77.5 -> 78
      {150, 126, 102, 79},  // 3: left 150, right 55; 102.5 -> 102
  };
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      for (int c = 0; c < 3; ++c) EXPECT_EQ(dst.at(x, y, c), expected[y][x]) << x << "," << y << " c" << c;
}

TEST(ResampleBilinear, ChannelsAreInterpolatedSeparately) {
  Pixels src(2, 2);
  src.set(0, 0, 10, 20, 30);
  src.set(1, 0, 50, 60, 70);
  src.set(0, 1, 90, 100, 110);
  src.set(1, 1, 130, 140, 150);
  Pixels dst(4, 4);
  ResampleBilinear24(src.source(), dst.target());
  // (2, 2): fx = fy = .5 -> the mean of the four corners per channel.
  EXPECT_EQ(dst.at(2, 2, 0), 70);
  EXPECT_EQ(dst.at(2, 2, 1), 80);
  EXPECT_EQ(dst.at(2, 2, 2), 90);
  EXPECT_EQ(dst.at(0, 0, 0), 10);
  EXPECT_EQ(dst.at(0, 0, 2), 30);
}

TEST(ResampleBilinear, HalvesRoundToEvenAtEachStep) {
  // 2 x 2 -> 2 x 2: scale 0.5, so target row 1 sits half-way down (fy = .5)
  // and target column 0 takes the left value alone.
  Pixels dst(2, 2);
  ResampleBilinear24(Corners(1, 0, 2, 0).source(), dst.target());
  EXPECT_EQ(dst.at(0, 1, 0), 2);  // 1.5 -> 2
  ResampleBilinear24(Corners(3, 0, 2, 0).source(), dst.target());
  EXPECT_EQ(dst.at(0, 1, 0), 2);  // 2.5 -> 2
  // The across step rounds the rounded left/right values: left 2, right 5 at
  // fx .5 -> 3.5 -> 4; left 2, right 3 -> 2.5 -> 2.
  ResampleBilinear24(Corners(1, 5, 2, 5).source(), dst.target());
  EXPECT_EQ(dst.at(1, 1, 0), 4);
  ResampleBilinear24(Corners(1, 3, 2, 3).source(), dst.target());
  EXPECT_EQ(dst.at(1, 1, 0), 2);
}

TEST(ResampleBilinear, LastColumnAndRowStayShortOfTheSourceEdge) {
  // 5 x 3 -> 7 x 5: the last target pixel reads column xi + 1 and row yi + 1
  // right at the source's edge; the source memory ends there (ASan).
  Pixels src(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) src.set(x, y, 40 * x, 100 * y, 200);
  Pixels dst(7, 5, 0xEE);
  ResampleBilinear24(src.source(), dst.target());
  for (int y = 0; y < 5; ++y)  // the 3 pad bytes of each target row are not written
    for (std::size_t i = 21; i < dst.stride; ++i) EXPECT_EQ(dst.bytes[y * dst.stride + i], 0xEE);
  // xScale = 4/7 -> float 0.571428597; x = 6 -> 3.4285716: xi 3, fx .4286.
  // yScale = 2/5 -> float 0.4; y = 4 -> 1.6: yi 1, fy .6.
  EXPECT_EQ(dst.at(6, 4, 0), 137);  // 120 .. 160 at .4286 = 137.1
  EXPECT_EQ(dst.at(6, 4, 1), 160);  // 100 .. 200 at .6
  EXPECT_EQ(dst.at(6, 4, 2), 200);
  EXPECT_EQ(dst.at(0, 0, 0), 0);
}

TEST(ResampleBilinear, SourceNarrowerOrLowerThanTwoIsRefusedBeforeTheTargetIsWritten) {
  Pixels dst(3, 3, 0x5A);
  const std::vector<std::uint8_t> before = dst.bytes;
  for (const auto& size : {std::pair{1, 4}, std::pair{4, 1}, std::pair{1, 1}}) {
    Pixels src(size.first, size.second, 200);
    EXPECT_THROW(ResampleBilinear24(src.source(), dst.target()), std::out_of_range);
    EXPECT_EQ(dst.bytes, before);
  }
  EXPECT_THROW(ResampleBilinear24({nullptr, 0, 0, 0}, dst.target()), std::out_of_range);
  EXPECT_EQ(dst.bytes, before);
}

TEST(ResampleBilinear, MissingMemoryOrShortStrideIsRefused) {
  Pixels src(2, 2, 9);
  Pixels dst(3, 3, 0x5A);
  EXPECT_THROW(ResampleBilinear24({nullptr, 8, 2, 2}, dst.target()), std::invalid_argument);
  EXPECT_THROW(ResampleBilinear24({src.bytes.data(), 5, 2, 2}, dst.target()), std::invalid_argument);
  EXPECT_THROW(ResampleBilinear24(src.source(), {nullptr, 12, 3, 3}), std::invalid_argument);
  EXPECT_THROW(ResampleBilinear24(src.source(), {dst.bytes.data(), 8, 3, 3}), std::invalid_argument);
  EXPECT_EQ(dst.bytes, std::vector<std::uint8_t>(dst.bytes.size(), 0x5A));
  // Nothing to write: no memory needed.
  EXPECT_NO_THROW(ResampleBilinear24(src.source(), {nullptr, 0, 0, 5}));
}

// Above 2^24 target pixels the float scale can round up so far that the last
// position reaches the source's last column or row; the reads must still stay
// inside the 2 x 2 source and the value is that last column or row.
TEST(ResampleBilinear, HugeTargetDoesNotReadPastTheSourceEdge) {
  constexpr int kWide = 23728678;  // float(1 / kWide) x (kWide - 1) >= 1
  ASSERT_GE(static_cast<double>(static_cast<float>(1.0 / kWide)) * (kWide - 1), 1.0);
  const Pixels src = Corners(10, 250, 10, 250);
  {
    Pixels row(kWide, 1);
    ResampleBilinear24(src.source(), row.target());
    EXPECT_EQ(row.at(kWide - 1, 0, 0), 250);
    EXPECT_EQ(row.at(0, 0, 0), 10);
  }
  {
    const Pixels tall = Corners(10, 10, 250, 250);
    Pixels column(1, kWide);
    ResampleBilinear24(tall.source(), column.target());
    EXPECT_EQ(column.at(0, kWide - 1, 1), 250);
  }
}

}  // namespace
}  // namespace lumavex
