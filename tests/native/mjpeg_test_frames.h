#pragma once
// JPEG frames made with our own encoder for the Motion JPEG tests: a smooth
// picture with a share of noise, so that frames differ in size.
#include <cstdint>
#include <random>
#include <vector>

#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_output_buffer.h"

namespace lumavex::testing {

// `noisePercent` 0..100 of the pixels are random; the rest is a gradient.
inline std::vector<std::uint8_t> EncodeTestFrame(int width, int height, unsigned seed, int noisePercent,
                                                 bool grayscale = false) {
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 3];
      const bool noisy = static_cast<int>(random() % 100) < noisePercent;
      p[0] = static_cast<std::uint8_t>(noisy ? random() : x * 255 / width);
      p[1] = static_cast<std::uint8_t>(noisy ? random() : y * 255 / height);
      p[2] = static_cast<std::uint8_t>(noisy ? random() : seed * 40);
    }
  }
  jpeg::SourceImage image;
  image.pixels = pixels.data();
  image.width = width;
  image.height = height;
  image.rowBytes = 3 * width;
  jpeg::EncodeSettings settings;
  settings.quality = 70;
  settings.grayscale = grayscale;
  jpeg::JpegOutputBuffer out;
  if (jpeg::EncodeJpeg(image, settings, out) != jpeg::EncodeResult::Ok) return {};
  return std::vector<std::uint8_t>(out.data(), out.data() + out.size());
}

}  // namespace lumavex::testing
