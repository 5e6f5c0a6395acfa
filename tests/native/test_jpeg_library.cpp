// The JPEG library as the frame writer uses it: record checks, pictures of
// every small size, orientation, colour order, row padding and the options.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "imaging/jpeg/jpeg_library.h"
#include "native/jpeg_test_support.h"

namespace lumavex::testing {
namespace {

struct ErrorStats {
  int maxError = 0;
  double meanError = 0;
};

ErrorStats compare(const DibPicture& source, const DecodedPicture& decoded) {
  ErrorStats stats;
  long long total = 0;
  for (int y = 0; y < source.height(); ++y) {
    for (int x = 0; x < source.width(); ++x) {
      const Rgb a = source.get(x, y), b = decodedAt(decoded, x, y);
      for (int d : {a.r - b.r, a.g - b.g, a.b - b.b}) {
        stats.maxError = std::max(stats.maxError, std::abs(d));
        total += std::abs(d);
      }
    }
  }
  stats.meanError = static_cast<double>(total) / (3.0 * source.width() * source.height());
  return stats;
}

TEST(JpegLibrary, InitFillsTheDefaults) {
  JpegCoreProperties p{};
  ASSERT_EQ(jpegInit(&p), JPEG_OK);
  EXPECT_EQ(p.DIBChannels, 3);
  EXPECT_EQ(p.DIBColor, JPEG_COLOR_BGR);
  EXPECT_EQ(p.JPGChannels, 3);
  EXPECT_EQ(p.JPGColor, JPEG_COLOR_YCBCR);
  EXPECT_EQ(p.JPGSubsampling, JPEG_SUBSAMPLING_420);
  EXPECT_EQ(p.jquality, 75);
  EXPECT_EQ(p.DIBBytes, nullptr);
  EXPECT_EQ(jpegFree(&p), JPEG_OK);
}

TEST(JpegLibrary, NullRecordIsRefusedByEveryOperation) {
  EXPECT_EQ(jpegInit(nullptr), JPEG_ERR_NULL_RECORD);
  EXPECT_EQ(jpegWrite(nullptr, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_ERR_NULL_RECORD);
  EXPECT_EQ(jpegFree(nullptr), JPEG_ERR_NULL_RECORD);
}

TEST(JpegLibrary, RefusesBadRecordsWithTheirOwnCodeAndWritesNothing) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  DibPicture picture(16, 8);
  struct Case {
    const char* what;
    std::function<void(JpegCoreProperties&)> spoil;
    int expected;
  };
  const Case cases[] = {
      {"no pixels (failed CreateDIB)", [](auto& p) { p.DIBBytes = nullptr; }, JPEG_ERR_NO_PIXELS},
      {"zero width", [](auto& p) { p.DIBWidth = p.JPGWidth = 0; }, JPEG_ERR_BAD_SIZE},
      {"negative width", [](auto& p) { p.DIBWidth = p.JPGWidth = -16; }, JPEG_ERR_BAD_SIZE},
      {"zero height", [](auto& p) { p.DIBHeight = p.JPGHeight = 0; }, JPEG_ERR_BAD_SIZE},
      {"huge width", [](auto& p) { p.DIBWidth = p.JPGWidth = 65501; }, JPEG_ERR_BAD_SIZE},
      {"most negative height", [](auto& p) { p.DIBHeight = INT_MIN; }, JPEG_ERR_BAD_SIZE},
      {"JPG width differs", [](auto& p) { p.JPGWidth = 15; }, JPEG_ERR_SIZE_MISMATCH},
      {"JPG height negative", [](auto& p) { p.JPGHeight = -8; }, JPEG_ERR_SIZE_MISMATCH},
      {"pad of 4", [](auto& p) { p.DIBPadBytes = 4; }, JPEG_ERR_BAD_PADDING},
      {"negative pad", [](auto& p) { p.DIBPadBytes = -1; }, JPEG_ERR_BAD_PADDING},
      {"4 input channels", [](auto& p) { p.DIBChannels = 4; }, JPEG_ERR_BAD_FORMAT},
      {"YCbCr input", [](auto& p) { p.DIBColor = JPEG_COLOR_YCBCR; }, JPEG_ERR_BAD_FORMAT},
      {"RGB output", [](auto& p) { p.JPGColor = JPEG_COLOR_RGB; }, JPEG_ERR_BAD_FORMAT},
      {"1 channel YCbCr", [](auto& p) { p.JPGChannels = 1; }, JPEG_ERR_BAD_FORMAT},
      {"no subsampling set", [](auto& p) { p.JPGSubsampling = 0; }, JPEG_ERR_BAD_FORMAT},
      {"quality 0", [](auto& p) { p.jquality = 0; }, JPEG_ERR_BAD_QUALITY},
      {"quality 101", [](auto& p) { p.jquality = 101; }, JPEG_ERR_BAD_QUALITY},
      {"no file name", [](auto& p) { p.JPGFile = nullptr; }, JPEG_ERR_NO_FILE_NAME},
      {"empty file name", [](auto& p) { p.JPGFile = ""; }, JPEG_ERR_NO_FILE_NAME},
  };
  for (const Case& c : cases) {
    JpegCoreProperties p = picture.record(path);
    c.spoil(p);
    EXPECT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), c.expected) << c.what;
    EXPECT_NE(std::string(jpegResultText(c.expected)), "unknown result");
  }
  for (int ioType : {0, 1, 7, 9, -8}) {
    JpegCoreProperties p = picture.record(path);
    EXPECT_EQ(jpegWrite(&p, ioType), JPEG_ERR_BAD_IOTYPE) << ioType;
  }
  EXPECT_TRUE(folder.entries().empty());
}

// A record that jpegInit never saw has no channel layout.
TEST(JpegLibrary, RecordWithoutInitIsRefused) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  DibPicture picture(8, 8);
  JpegCoreProperties p = picture.record(path);
  p.DIBChannels = p.DIBColor = p.JPGChannels = p.JPGColor = p.JPGSubsampling = 0;
  EXPECT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_ERR_BAD_FORMAT);
}

// Every partial-MCU shape at the right and bottom edges, every pad width.
TEST(JpegLibrary, EverySmallSizeDecodesToTheSourcePicture) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  for (int width = 1; width <= 33; ++width) {
    for (int height = 1; height <= 17; ++height) {
      DibPicture picture(width, height);
      picture.fill([&](int x, int y) { return smoothColour(x, y); });
      picture.fillPadBytes(0xFF);
      JpegCoreProperties p = picture.record(path, 90);
      ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK) << width << "x" << height;
      const DecodedPicture decoded = decodeFile(path);
      ASSERT_EQ(decoded.width, width);
      ASSERT_EQ(decoded.height, height);
      EXPECT_EQ(decoded.subsampling, TJSAMP_420);
      const ErrorStats error = compare(picture, decoded);
      EXPECT_LE(error.maxError, 12) << width << "x" << height;
      EXPECT_LE(error.meanError, 3.0) << width << "x" << height;
    }
  }
}

// Red, green, blue and white quadrants, for orientation and channel order.
Rgb quadrantColour(int x, int y, int width, int height) {
  const bool right = x >= width / 2, bottom = y >= height / 2;
  if (!right && !bottom) return {255, 0, 0};
  if (right && !bottom) return {0, 255, 0};
  if (!right) return {0, 0, 255};
  return {255, 255, 255};
}

void expectQuadrants(const DecodedPicture& decoded) {
  const int w = decoded.width, h = decoded.height;
  const struct {
    int x, y;
    Rgb expected;
  } probes[] = {{w / 4, h / 4, {255, 0, 0}},
                {3 * w / 4, h / 4, {0, 255, 0}},
                {w / 4, 3 * h / 4, {0, 0, 255}},
                {3 * w / 4, 3 * h / 4, {255, 255, 255}}};
  for (const auto& probe : probes) {
    const Rgb got = decodedAt(decoded, probe.x, probe.y);
    EXPECT_NEAR(got.r, probe.expected.r, 8) << probe.x << "," << probe.y;
    EXPECT_NEAR(got.g, probe.expected.g, 8) << probe.x << "," << probe.y;
    EXPECT_NEAR(got.b, probe.expected.b, 8) << probe.x << "," << probe.y;
  }
}

TEST(JpegLibrary, BottomUpPictureIsWrittenUprightWithChannelsInPlace) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  DibPicture picture(163, 123);
  picture.fill([&](int x, int y) { return quadrantColour(x, y, 163, 123); });
  JpegCoreProperties p = picture.record(path);
  ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  expectQuadrants(decodeFile(path));
}

TEST(JpegLibrary, TopDownRowsGiveTheSameFileAsBottomUpRows) {
  ScratchFolder folder;
  DibPicture bottomUp(50, 37), topDown(50, 37, true);
  const auto colour = [](int x, int y) { return Rgb{(x * 37) % 256, (y * 53) % 256, (x * y) % 256}; };
  bottomUp.fill(colour);
  topDown.fill(colour);
  const std::string a = folder.file("a.jpg"), b = folder.file("b.jpg");
  JpegCoreProperties pa = bottomUp.record(a), pb = topDown.record(b);
  EXPECT_GT(pb.DIBHeight, 0);
  ASSERT_EQ(jpegWrite(&pa, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  ASSERT_EQ(jpegWrite(&pb, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  EXPECT_EQ(readFile(a), readFile(b));
}

TEST(JpegLibrary, RgbInputOrderIsHonoured) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  // Stored as RGB: write each pixel with red and blue exchanged in the
  // BGR helper, so the bytes in memory run red, green, blue.
  DibPicture picture(64, 48);
  picture.fill([](int x, int y) {
    const Rgb c = quadrantColour(x, y, 64, 48);
    return Rgb{c.b, c.g, c.r};
  });
  JpegCoreProperties p = picture.record(path);
  p.DIBColor = JPEG_COLOR_RGB;
  ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  expectQuadrants(decodeFile(path));
}

// The pad bytes after each row carry no pixel: whatever they hold, the file
// must come out the same.
TEST(JpegLibrary, PadBytesDoNotReachTheImage) {
  ScratchFolder folder;
  std::mt19937 random(7);
  for (int width : {5, 6, 7, 161, 162, 163}) {
    DibPicture picture(width, 21);
    picture.fill([&](int x, int y) { return smoothColour(x, y); });
    ASSERT_GT(picture.padBytes(), 0);
    const std::string clean = folder.file("clean.jpg"), dirty = folder.file("dirty.jpg");
    picture.fillPadBytes(0);
    JpegCoreProperties p = picture.record(clean);
    ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
    picture.fillPadBytes(static_cast<std::uint8_t>(random()));
    p = picture.record(dirty);
    ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
    EXPECT_EQ(readFile(clean), readFile(dirty)) << "width " << width;
  }
}

TEST(JpegLibrary, QualityExtremesDecodeAndOrderBySize) {
  ScratchFolder folder;
  DibPicture picture(96, 64);
  picture.fill([](int x, int y) { return smoothColour(x, y); });
  const std::string low = folder.file("q1.jpg"), high = folder.file("q100.jpg");
  JpegCoreProperties p = picture.record(low, 1);
  ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  p = picture.record(high, 100);
  p.JPGSubsampling = JPEG_SUBSAMPLING_444;  // so that only rounding is left
  ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  const DecodedPicture lowPicture = decodeFile(low), highPicture = decodeFile(high);
  ASSERT_EQ(lowPicture.width, 96);
  ASSERT_EQ(highPicture.width, 96);
  EXPECT_LE(compare(picture, highPicture).maxError, 2);
  EXPECT_LT(compare(picture, highPicture).meanError, compare(picture, lowPicture).meanError);
  EXPECT_LT(readFile(low).size(), readFile(high).size());
}

TEST(JpegLibrary, SubsamplingAndGrayscaleOptions) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  DibPicture picture(45, 29);
  picture.fill([](int x, int y) { return smoothColour(x, y); });
  const struct {
    int subsampling, expected;
  } colourCases[] = {{JPEG_SUBSAMPLING_444, TJSAMP_444},
                     {JPEG_SUBSAMPLING_422, TJSAMP_422},
                     {JPEG_SUBSAMPLING_420, TJSAMP_420}};
  for (const auto& c : colourCases) {
    JpegCoreProperties p = picture.record(path, 90);
    p.JPGSubsampling = c.subsampling;
    ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
    const DecodedPicture decoded = decodeFile(path);
    EXPECT_EQ(decoded.subsampling, c.expected);
    EXPECT_LE(compare(picture, decoded).maxError, 12) << c.subsampling;
  }
  JpegCoreProperties p = picture.record(path, 90);
  p.JPGChannels = 1;
  p.JPGColor = JPEG_COLOR_GRAYSCALE;
  ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  const DecodedPicture gray = decodeFile(path);
  EXPECT_EQ(gray.subsampling, TJSAMP_GRAY);
  const Rgb source = picture.get(20, 10), got = decodedAt(gray, 20, 10);
  const double luma = 0.299 * source.r + 0.587 * source.g + 0.114 * source.b;
  EXPECT_NEAR(got.r, luma, 4);
  EXPECT_EQ(got.r, got.g);
  EXPECT_EQ(got.g, got.b);
}

TEST(JpegLibrary, ReplacesAnExistingFileAndLeavesNoTemporary) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  {
    std::ofstream old(path, std::ios::binary);
    old << "an older frame";
  }
  DibPicture picture(40, 30);
  picture.fill([](int x, int y) { return smoothColour(x, y); });
  JpegCoreProperties p = picture.record(path);
  ASSERT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  EXPECT_EQ(decodeFile(path).width, 40);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
}

TEST(JpegLibrary, MissingFolderFailsWithoutLeavingAFile) {
  ScratchFolder folder;
  const std::string path = folder.file("no-such-folder/frame.jpg");
  DibPicture picture(8, 8);
  JpegCoreProperties p = picture.record(path);
  EXPECT_EQ(jpegWrite(&p, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_ERR_FILE_OPEN);
  EXPECT_TRUE(folder.entries().empty());
}

}  // namespace
}  // namespace lumavex::testing
