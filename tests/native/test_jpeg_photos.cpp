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
#include "native/jpeg_photo_source.h"
#include "native/jpeg_test_support.h"

namespace lumavex::testing {
namespace {

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
