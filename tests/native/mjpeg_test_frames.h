#pragma once
// JPEG frames made with our own encoder for the Motion JPEG tests: a smooth
// picture with a share of noise, so that frames differ in size.
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
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

// A lossless JPEG (SOF3, 8-bit gray, predictor 1: the sample to the left)
// of a gradient with some noise. Its one Huffman table gives every
// difference category 0..8 a 4-bit code, which is the category itself.
inline std::vector<std::uint8_t> EncodeLosslessTestFrame(int width, int height, unsigned seed) {
  const auto hi = [](int v) { return static_cast<std::uint8_t>(v >> 8); };
  const auto lo = [](int v) { return static_cast<std::uint8_t>(v & 0xFF); };
  std::vector<std::uint8_t> out = {0xFF, 0xD8};  // SOI
  const auto append = [&out](std::initializer_list<std::uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
  };
  append({0xFF, 0xC3, 0, 11, 8, hi(height), lo(height), hi(width), lo(width), 1, 1, 0x11, 0});
  append({0xFF, 0xC4, 0, 28, 0x00, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // nine 4-bit codes
  append({0, 1, 2, 3, 4, 5, 6, 7, 8});
  append({0xFF, 0xDA, 0, 8, 1, 1, 0x00, 1, 0, 0});  // predictor 1
  std::vector<int> samples(static_cast<std::size_t>(width) * height);
  std::mt19937 random(seed);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      samples[static_cast<std::size_t>(y) * width + x] = (x * 255 / width + y + random() % 24) & 0xFF;
  std::uint32_t bits = 0;
  int bitCount = 0;
  const auto put = [&](std::uint32_t value, int count) {
    bits = (bits << count) | (value & ((1u << count) - 1));
    for (bitCount += count; bitCount >= 8; bitCount -= 8) {
      out.push_back(static_cast<std::uint8_t>(bits >> (bitCount - 8)));
      if (out.back() == 0xFF) out.push_back(0x00);
    }
  };
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int* at = &samples[static_cast<std::size_t>(y) * width + x];
      // The first sample has 128 to go by; each further row starts from the one above.
      const int predicted = x > 0 ? at[-1] : y > 0 ? at[-width] : 128;
      const int difference = *at - predicted;
      int category = 0;
      for (int magnitude = std::abs(difference); magnitude != 0; magnitude >>= 1) ++category;
      put(static_cast<std::uint32_t>(category), 4);
      if (category > 0)
        put(static_cast<std::uint32_t>(difference > 0 ? difference : difference - 1), category);
    }
  }
  if (bitCount > 0) put(0x7F, 8 - bitCount);  // padded with 1 bits
  out.push_back(0xFF);
  out.push_back(0xD9);
  return out;
}

}  // namespace lumavex::testing
