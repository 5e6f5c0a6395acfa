// Random picture sizes from 1x1 up to 2000x2000 with random settings, encoded
// in memory and decoded again; under test.sh's sanitizers this checks that no
// size, pad or option makes the encoder read or write out of bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "native/jpeg_reference_codec.h"

namespace lumavex::testing {
namespace {

using jpeg::EncodeResult;
using jpeg::EncodeSettings;
using jpeg::JpegOutputBuffer;
using jpeg::SourceImage;
using jpeg::Subsampling;

struct SweepCase {
  int width, height;
};

std::vector<SweepCase> sweepSizes() {
  std::vector<SweepCase> sizes = {{1, 1}, {2000, 2000}, {1999, 1}, {1, 1999}, {1920, 1080}, {17, 2000}};
  std::mt19937 random(2024);
  // Log-uniform: mostly small and medium pictures, some large ones.
  std::uniform_real_distribution<double> logSide(0.0, std::log(2000.0));
  while (sizes.size() < 40) {
    sizes.push_back(
        {static_cast<int>(std::exp(logSide(random))), static_cast<int>(std::exp(logSide(random)))});
  }
  return sizes;
}

TEST(JpegSizeSweep, RandomSizesAndSettingsEncodeAndDecode) {
  ReferenceCodec& reference = ReferenceCodec::instance();
  ASSERT_TRUE(reference.available()) << reference.loadError();
  std::mt19937 random(77);
  JpegOutputBuffer out;
  for (const SweepCase& size : sweepSizes()) {
    const int pad = static_cast<int>(random() % 4);
    const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(size.width) + pad;
    // Exactly the bytes the picture spans: the last row ends without padding
    // room beyond its pad bytes, so any over-read is caught.
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rowBytes) * size.height);
    std::uint32_t state = static_cast<std::uint32_t>(random());
    for (auto& b : pixels) {
      state = state * 1664525u + 1013904223u;
      b = static_cast<std::uint8_t>(state >> 24);
    }
    SourceImage image;
    image.pixels = pixels.data();
    image.width = size.width;
    image.height = size.height;
    image.rowBytes = rowBytes;
    image.bottomUp = random() % 2 == 0;
    image.order = random() % 2 == 0 ? jpeg::PixelOrder::Bgr : jpeg::PixelOrder::Rgb;
    EncodeSettings settings;
    settings.quality = 1 + static_cast<int>(random() % 100);
    const int layout = static_cast<int>(random() % 4);
    settings.grayscale = layout == 3;
    settings.subsampling = layout == 0   ? Subsampling::Full444
                           : layout == 1 ? Subsampling::Horizontal422
                                         : Subsampling::Both420;
    const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height) + " q" +
                             std::to_string(settings.quality) + " layout " + std::to_string(layout) +
                             " pad " + std::to_string(pad);

    out.Clear();
    ASSERT_EQ(EncodeJpeg(image, settings, out), EncodeResult::Ok) << what;
    DecodedPicture decoded;
    std::string error;
    ASSERT_TRUE(reference.decode(out.data(), out.size(), decoded, &error)) << what << ": " << error;
    EXPECT_EQ(decoded.width, size.width) << what;
    EXPECT_EQ(decoded.height, size.height) << what;
  }
}

}  // namespace
}  // namespace lumavex::testing
