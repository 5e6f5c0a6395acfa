// Fitting a frame of another size into the video's size: where it lands,
// that it keeps its picture, and that nothing outside it is left unwritten.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "imaging/bmp_writer.h"
#include "imaging/fit_picture.h"
#include "imaging/image.h"

namespace lumavex {
namespace {

struct Picture {
  int width, height;
  std::size_t stride;
  std::vector<std::uint8_t> bytes;
  Picture(int w, int h, std::uint8_t fill = 0)
      : width(w), height(h), stride(Bmp24RowBytes(w)), bytes(stride * h, fill) {}
  std::uint8_t* pixel(int x, int y) { return &bytes[y * stride + x * 3]; }
  Bgr24Source source() const { return {bytes.data(), stride, width, height}; }
  Bgr24Target target() { return {bytes.data(), stride, width, height}; }
};

TEST(FitInside, KeepsTheAspectAndCentres) {
  const struct {
    int sw, sh, fw, fh;
    int x, y, w, h;
  } cases[] = {
      {320, 240, 163, 123, 0, 0, 163, 122},  // 4:3 into nearly 4:3: one row left over, below
      {64, 128, 163, 123, 50, 0, 62, 123},   // portrait: bars left and right
      {163, 123, 163, 123, 0, 0, 163, 123},  // same size
      {10000, 1, 163, 123, 0, 61, 163, 1},   // a line stays at least one pixel high
      {1, 10000, 163, 123, 81, 0, 1, 123},  {81, 61, 163, 123, 0, 0, 163, 123},  // smaller: scaled up
  };
  for (const auto& c : cases) {
    const FitArea a = FitInside(c.sw, c.sh, c.fw, c.fh);
    EXPECT_EQ(a.x, c.x) << c.sw << "x" << c.sh;
    EXPECT_EQ(a.y, c.y) << c.sw << "x" << c.sh;
    EXPECT_EQ(a.width, c.w) << c.sw << "x" << c.sh;
    EXPECT_EQ(a.height, c.h) << c.sw << "x" << c.sh;
  }
  const FitArea none = FitInside(0, 10, 163, 123);
  EXPECT_EQ(none.width, 0);
}

// A grey picture lands as exactly that grey inside its area, black (and zero
// pad bytes) everywhere else, even over a target full of old bytes.
TEST(FitPicture24, FillsItsAreaAndBlacksOutTheRest) {
  Picture source(64, 128, 0x80);
  Picture target(163, 123, 0xEE);
  FitPicture24(source.source(), target.target());
  const FitArea area = FitInside(64, 128, 163, 123);
  for (int y = 0; y < target.height; ++y) {
    for (int x = 0; x < target.width; ++x) {
      const bool inside = x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height;
      ASSERT_EQ(target.pixel(x, y)[1], inside ? 0x80 : 0) << x << "," << y;
    }
    for (std::size_t pad = target.width * 3u; pad < target.stride; ++pad)
      ASSERT_EQ(target.bytes[y * target.stride + pad], 0);
  }
}

// Halving averages neighbours instead of picking every other pixel: a fine
// checkerboard becomes an even grey, not black or white.
TEST(FitPicture24, ShrinkingAveragesInsteadOfSkipping) {
  Picture source(64, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      std::uint8_t* p = source.pixel(x, y);
      p[0] = p[1] = p[2] = static_cast<std::uint8_t>(((x + y) & 1) * 255);
    }
  Picture target(32, 24);
  FitPicture24(source.source(), target.target());
  for (int y = 2; y < 22; ++y)
    for (int x = 2; x < 30; ++x) ASSERT_NEAR(target.pixel(x, y)[0], 128, 8) << x << "," << y;
}

// Rows stored bottom first: the picture's top row stays its top row, and
// the odd row left over goes below it on screen (first in memory).
TEST(FitPicture24, BottomUpRowsKeepThePictureUprightAndTheBarBelow) {
  Picture source(320, 240);  // memory row 0 is the picture's bottom: make it white
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 320; ++x) source.pixel(x, y)[0] = 255;
  Picture target(163, 123, 0x55);
  FitPicture24(source.source(), target.target(), /*bottomUp=*/true);
  EXPECT_EQ(target.pixel(80, 0)[0], 0);    // the bar, below the picture
  EXPECT_EQ(target.pixel(80, 1)[0], 255);  // the picture's bottom half is white
  EXPECT_EQ(target.pixel(80, 122)[0], 0);  // its top half black
  EXPECT_EQ(target.pixel(80, 30)[0], 255);
}

TEST(FitPicture24, RefusesBadPicturesBeforeWritingAnything) {
  Picture source(16, 16, 0x40);
  Picture target(8, 8, 0x77);
  Bgr24Source shortRows = source.source();
  shortRows.stride = 10;  // less than 3 x 16
  EXPECT_THROW(FitPicture24(shortRows, target.target()), std::invalid_argument);
  Bgr24Source noPixels = source.source();
  noPixels.bits = nullptr;
  EXPECT_THROW(FitPicture24(noPixels, target.target()), std::invalid_argument);
  Bgr24Target tooNarrow = target.target();
  tooNarrow.stride = 3;
  EXPECT_THROW(FitPicture24(source.source(), tooNarrow), std::invalid_argument);
  for (std::uint8_t b : target.bytes) ASSERT_EQ(b, 0x77);
}

TEST(FitImage, FitsIntoANewSizeAndLeavesTheTargetAloneOnRefusal) {
  Image source;
  ASSERT_TRUE(source.Resize(40, 20));
  std::fill(source.data(), source.data() + source.pixels().size(), 0x90);
  Image fitted;
  ASSERT_TRUE(FitImage(source, 30, 30, fitted));
  EXPECT_EQ(fitted.width(), 30);
  EXPECT_EQ(fitted.height(), 30);
  EXPECT_EQ(fitted.pixels().size(), Bmp24RowBytes(30) * 30u);
  // A 2:1 picture in a square: black bars above and below, the picture between.
  EXPECT_EQ(fitted.RowFromTop(0)[0], 0);
  EXPECT_EQ(fitted.RowFromTop(15)[45], 0x90);

  const std::vector<std::uint8_t> before = fitted.pixels();
  EXPECT_FALSE(FitImage(Image(), 30, 30, fitted));
  EXPECT_FALSE(FitImage(source, 0, 30, fitted));
  EXPECT_FALSE(FitImage(source, 30, -1, fitted));
  EXPECT_FALSE(FitImage(fitted, 30, 30, fitted));
  EXPECT_EQ(fitted.width(), 30);
  EXPECT_EQ(fitted.pixels(), before);
}

}  // namespace
}  // namespace lumavex
