#pragma once
// A picture in memory as the program's DIB sections hold it: 24 bits a pixel
// in blue-green-red order, rows padded to 4 bytes, the bottom row first.
// Decoding, fitting, encoding and the previews hand pictures on in this
// form; BMP file bytes exist only where files are read or written.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lumavex {

// Read-only and writable views of 24-bit rows anywhere in memory. Row 0 is
// the first row in memory, whichever way up the picture is stored.
struct Bgr24Source {
  const std::uint8_t* bits = nullptr;  // first byte of row 0
  std::size_t stride = 0;              // bytes from one row to the next, >= 3 x width
  int width = 0;
  int height = 0;
};

struct Bgr24Target {
  std::uint8_t* bits = nullptr;
  std::size_t stride = 0;
  int width = 0;
  int height = 0;
};

class Image {
 public:
  // Bytes of one row of `width` pixels padded to 4; 0 for a width that is not
  // positive or whose rows would not fit a BMP file's 32-bit sizes.
  static std::size_t StrideFor(std::int64_t width);

  // Makes the picture width x height, its pixels unspecified, reusing the
  // memory it has. False (and the picture unchanged) for a size that is not
  // positive or too large for a BMP file. May throw std::bad_alloc.
  bool Resize(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  std::size_t stride() const { return stride_; }
  bool empty() const { return width_ <= 0; }

  // Pixel bytes: stride() x height(), bottom row first.
  const std::vector<std::uint8_t>& pixels() const { return pixels_; }
  std::uint8_t* data() { return pixels_.data(); }
  const std::uint8_t* data() const { return pixels_.data(); }
  // Row `y` counted from the top of the picture.
  std::uint8_t* RowFromTop(int y) { return data() + static_cast<std::size_t>(height_ - 1 - y) * stride_; }
  const std::uint8_t* RowFromTop(int y) const {
    return data() + static_cast<std::size_t>(height_ - 1 - y) * stride_;
  }

  Bgr24Source Source() const { return {data(), stride_, width_, height_}; }
  Bgr24Target Target() { return {data(), stride_, width_, height_}; }

  void swap(Image& other) noexcept;
  // Bytes of memory the picture holds: it keeps them for the next picture of
  // its size, which a single huge frame should not do (ReleaseIfLarge).
  std::size_t capacity() const { return pixels_.capacity(); }

 private:
  int width_ = 0;
  int height_ = 0;
  std::size_t stride_ = 0;
  std::vector<std::uint8_t> pixels_;
};

}  // namespace lumavex
