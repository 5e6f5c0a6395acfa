#include "imaging/flat_picture.h"

#include <cstring>

namespace lumavex {

bool OneColour(const Bgr24Source& picture) {
  if (picture.width <= 0 || picture.height <= 0 || !picture.bits) return true;
  const std::uint8_t* first = picture.bits;
  const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
  // The first row is compared pixel by pixel with its first pixel, every
  // other row then whole with the first row.
  for (std::size_t i = 3; i < rowBytes; i += 3)
    if (std::memcmp(first, first + i, 3) != 0) return false;
  for (int y = 1; y < picture.height; ++y)
    if (std::memcmp(first, picture.bits + static_cast<std::size_t>(y) * picture.stride, rowBytes) != 0)
      return false;
  return true;
}

}  // namespace lumavex
