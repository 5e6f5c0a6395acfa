#pragma once
// Pictures laid out like a 24-bit DIB section, a scratch folder, and file
// helpers shared by the JPEG tests.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imaging/jpeg/jpeg_library.h"
#include "native/jpeg_reference_codec.h"

namespace lumavex::testing {

struct Rgb {
  int r, g, b;
};

// A picture stored the way the frame writer hands it over: rows of blue,
// green, red bytes padded to a multiple of 4, bottom row first (or top row
// first when topDown is set).
class DibPicture {
 public:
  DibPicture(int width, int height, bool topDown = false)
      : width_(width),
        height_(height),
        topDown_(topDown),
        stride_((3 * width + 3) & ~3),
        bytes_(static_cast<std::size_t>(stride_) * height, 0) {}

  int width() const { return width_; }
  int height() const { return height_; }
  int stride() const { return stride_; }
  int padBytes() const { return stride_ - 3 * width_; }
  const std::uint8_t* bytes() const { return bytes_.data(); }

  // (x, y) in picture coordinates, y = 0 at the top.
  void set(int x, int y, Rgb c) {
    std::uint8_t* p = pixel(x, y);
    p[0] = static_cast<std::uint8_t>(c.b);
    p[1] = static_cast<std::uint8_t>(c.g);
    p[2] = static_cast<std::uint8_t>(c.r);
  }
  Rgb get(int x, int y) const {
    const std::uint8_t* p = const_cast<DibPicture*>(this)->pixel(x, y);
    return {p[2], p[1], p[0]};
  }

  template <typename F>
  void fill(F colourAt) {
    for (int y = 0; y < height_; ++y) {
      for (int x = 0; x < width_; ++x) set(x, y, colourAt(x, y));
    }
  }

  void fillPadBytes(std::uint8_t value) {
    for (int row = 0; row < height_; ++row) {
      for (int i = 3 * width_; i < stride_; ++i) bytes_[row * stride_ + i] = value;
    }
  }

  // The record as the frame writer fills it.
  JpegCoreProperties record(const std::string& path, int quality = 70) const {
    JpegCoreProperties p{};
    jpegInit(&p);
    p.DIBBytes = bytes_.data();
    p.DIBWidth = width_;
    p.DIBHeight = topDown_ ? height_ : -height_;
    p.DIBPadBytes = padBytes();
    p.JPGFile = path.c_str();
    p.JPGWidth = width_;
    p.JPGHeight = height_;
    p.jquality = quality;
    return p;
  }

 private:
  std::uint8_t* pixel(int x, int y) {
    const int row = topDown_ ? y : height_ - 1 - y;
    return &bytes_[static_cast<std::size_t>(row) * stride_ + 3 * x];
  }

  int width_, height_;
  bool topDown_;
  int stride_;
  std::vector<std::uint8_t> bytes_;
};

// A gentle colour field, the same at every picture size: smooth enough that
// JPEG reproduces it closely.
inline Rgb smoothColour(int x, int y) {
  return {static_cast<int>(128 + 90 * std::sin(x / 15.0)), static_cast<int>(128 + 90 * std::cos(y / 13.0)),
          static_cast<int>(128 + 70 * std::sin((x + 2 * y) / 23.0))};
}

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lumavex-jpeg-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  std::string file(const std::string& name) const { return (path_ / name).string(); }
  // Names of the entries in the folder, for checking that nothing was left.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

 private:
  std::filesystem::path path_;
};

inline std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline bool fileExists(const std::string& path) { return std::filesystem::exists(path); }

inline DecodedPicture decodeFile(const std::string& path) {
  const std::vector<std::uint8_t> data = readFile(path);
  DecodedPicture picture;
  std::string error;
  EXPECT_TRUE(ReferenceCodec::instance().decode(data.data(), data.size(), picture, &error))
      << path << ": " << error;
  return picture;
}

inline Rgb decodedAt(const DecodedPicture& picture, int x, int y) {
  const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  return {p[0], p[1], p[2]};
}

}  // namespace lumavex::testing
