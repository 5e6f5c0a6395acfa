// Compression quality against libjpeg-turbo on real photographs: at quality
// 70 and 4:2:0 our files must reconstruct within 0.5 dB PSNR of its files
// and be no more than 5% larger.
//
// The photographs are scikit-image's astronaut, coffee and chelsea pictures
// (Debian package python3-skimage, installed by tools/install-deps.sh),
// scaled to 163x123, 640x480 and 1920x1080 with ImageMagick's convert when
// the test runs.
#include <gtest/gtest.h>
#include <stdio.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "imaging/jpeg/jpeg_library.h"
#include "native/jpeg_test_support.h"

namespace lumavex::testing {
namespace {

const char* const kPhotoFolder = "/usr/lib/python3/dist-packages/skimage/data/";

struct PipeCloser {
  void operator()(FILE* pipe) const { pclose(pipe); }
};

struct RgbPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // top-down
};

// Reads one PPM header number, skipping white space and # comment lines.
bool readHeaderNumber(FILE* f, int& value) {
  int c = fgetc(f);
  while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
    if (c == '#') {
      while (c != '\n' && c != EOF) c = fgetc(f);
    }
    c = fgetc(f);
  }
  value = 0;
  if (c < '0' || c > '9') return false;
  for (; c >= '0' && c <= '9'; c = fgetc(f)) value = value * 10 + (c - '0');
  return true;  // consumed the single white-space byte after the number
}

// Runs convert to scale the photograph and reads the binary PPM it prints.
bool scaledPhoto(const std::string& name, int width, int height, RgbPicture& out) {
  const std::string command = "/usr/bin/convert '" + std::string(kPhotoFolder) + name + "' -resize " +
                              std::to_string(width) + "x" + std::to_string(height) +
                              "! -depth 8 ppm:- 2>/dev/null";
  std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
  if (!pipe) return false;
  int w = 0, h = 0, maxValue = 0;
  if (fgetc(pipe.get()) != 'P' || fgetc(pipe.get()) != '6' || !readHeaderNumber(pipe.get(), w) ||
      !readHeaderNumber(pipe.get(), h) || !readHeaderNumber(pipe.get(), maxValue) || maxValue != 255 ||
      w <= 0 || h <= 0 || w > 4096 || h > 4096) {
    return false;
  }
  out.width = w;
  out.height = h;
  out.rgb.resize(static_cast<std::size_t>(w) * h * 3);
  return fread(out.rgb.data(), 1, out.rgb.size(), pipe.get()) == out.rgb.size();
}

double psnr(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  double squares = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const double d = static_cast<double>(a[i]) - b[i];
    squares += d * d;
  }
  const double mse = squares / static_cast<double>(a.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

struct PhotoCase {
  const char* photo;
  int width, height;
};

class JpegPhotos : public ::testing::TestWithParam<PhotoCase> {};

TEST_P(JpegPhotos, MatchesLibjpegTurboQualityAndSize) {
  const PhotoCase c = GetParam();
  ReferenceCodec& reference = ReferenceCodec::instance();
  ASSERT_TRUE(reference.available()) << reference.loadError();
  RgbPicture photo;
  ASSERT_TRUE(scaledPhoto(c.photo, c.width, c.height, photo))
      << "cannot read " << kPhotoFolder << c.photo << " through /usr/bin/convert "
      << "(tools/install-deps.sh installs python3-skimage and imagemagick)";
  ASSERT_EQ(photo.width, c.width);
  ASSERT_EQ(photo.height, c.height);

  DibPicture dib(c.width, c.height);
  for (int y = 0; y < c.height; ++y) {
    for (int x = 0; x < c.width; ++x) {
      const std::uint8_t* p = &photo.rgb[(static_cast<std::size_t>(y) * c.width + x) * 3];
      dib.set(x, y, {p[0], p[1], p[2]});
    }
  }
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  JpegCoreProperties props = dib.record(path, 70);
  ASSERT_EQ(jpegWrite(&props, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  const std::vector<std::uint8_t> ours = readFile(path);
  const DecodedPicture oursDecoded = decodeFile(path);

  std::vector<std::uint8_t> theirs;
  ASSERT_TRUE(reference.encode(photo.rgb.data(), c.width, c.height, 70, theirs));
  DecodedPicture theirsDecoded;
  ASSERT_TRUE(reference.decode(theirs.data(), theirs.size(), theirsDecoded));

  const double oursPsnr = psnr(photo.rgb, oursDecoded.rgb);
  const double theirsPsnr = psnr(photo.rgb, theirsDecoded.rgb);
  std::printf("      %s %dx%d: ours %.2f dB %zu bytes, libjpeg-turbo %.2f dB %zu bytes\n", c.photo, c.width,
              c.height, oursPsnr, ours.size(), theirsPsnr, theirs.size());
  EXPECT_GE(oursPsnr, theirsPsnr - 0.5);
  EXPECT_LE(static_cast<double>(ours.size()), 1.05 * static_cast<double>(theirs.size()));
}

INSTANTIATE_TEST_SUITE_P(
    QualitySeventy, JpegPhotos,
    ::testing::Values(PhotoCase{"astronaut.png", 163, 123}, PhotoCase{"astronaut.png", 640, 480},
                      PhotoCase{"astronaut.png", 1920, 1080}, PhotoCase{"coffee.png", 163, 123},
                      PhotoCase{"coffee.png", 640, 480}, PhotoCase{"coffee.png", 1920, 1080},
                      PhotoCase{"chelsea.png", 163, 123}, PhotoCase{"chelsea.png", 640, 480},
                      PhotoCase{"chelsea.png", 1920, 1080}),
    [](const ::testing::TestParamInfo<PhotoCase>& info) {
      std::string name = info.param.photo;
      name = name.substr(0, name.find('.'));
      return name + "_" + std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
    });

}  // namespace
}  // namespace lumavex::testing
