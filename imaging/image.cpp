#include "imaging/image.h"

#include <cstdint>
#include <utility>

namespace lumavex {
namespace {

// A BMP file states its size, and so its image size, in 32 bits.
constexpr std::uint64_t kLargestImageBytes = 0xFFFFFFFFull - 54;

}  // namespace

std::size_t Image::StrideFor(std::int64_t width) {
  if (width <= 0 || width > 0x7FFFFFFF) return 0;
  const std::int64_t bytes = (width * 3 + 3) & ~std::int64_t{3};
  return bytes > 0x7FFFFFFF ? 0 : static_cast<std::size_t>(bytes);
}

bool Image::Resize(int width, int height) {
  const std::size_t stride = StrideFor(width);
  if (stride == 0 || height <= 0 ||
      static_cast<std::uint64_t>(stride) * static_cast<std::uint64_t>(height) > kLargestImageBytes)
    return false;
  pixels_.resize(stride * static_cast<std::size_t>(height));
  width_ = width;
  height_ = height;
  stride_ = stride;
  return true;
}

void Image::swap(Image& other) noexcept {
  std::swap(width_, other.width_);
  std::swap(height_, other.height_);
  std::swap(stride_, other.stride_);
  pixels_.swap(other.pixels_);
}

}  // namespace lumavex
