#include "imaging/fitted_frame.h"

#include <cstring>
#include <stdexcept>

#include "imaging/bmp_writer.h"
#include "imaging/fit_picture.h"

namespace lumavex {
namespace {

std::int32_t Field32(const std::vector<std::uint8_t>& bmp, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | bmp[at + i];
  return static_cast<std::int32_t>(v);
}

}  // namespace

bool BmpSize(const std::vector<std::uint8_t>& bmp, int& width, int& height) {
  if (bmp.size() < kBmpHeadersSize) return false;
  width = Field32(bmp, 18);
  height = Field32(bmp, 22);
  return true;
}

bool FitBmp24(const std::vector<std::uint8_t>& bmp, int width, int height,
              std::vector<std::uint8_t>& fitted) {
  int sourceWidth = 0, sourceHeight = 0;
  if (!BmpSize(bmp, sourceWidth, sourceHeight) || sourceWidth <= 0 || sourceHeight <= 0) return false;
  const std::size_t sourceStride = Bmp24RowBytes(sourceWidth);
  if (bmp[28] != 24 || bmp[29] != 0 || sourceStride == 0 ||
      (bmp.size() - kBmpHeadersSize) / sourceStride < static_cast<std::size_t>(sourceHeight))
    return false;
  std::vector<std::uint8_t> out = Bmp24Headers(width, height);
  const std::size_t stride = Bmp24RowBytes(width);
  if (out.empty() || stride == 0) return false;
  out.resize(kBmpHeadersSize + stride * static_cast<std::size_t>(height));
  try {
    FitPicture24({bmp.data() + kBmpHeadersSize, sourceStride, sourceWidth, sourceHeight},
                 {out.data() + kBmpHeadersSize, stride, width, height}, /*bottomUp=*/true);
  } catch (const std::invalid_argument&) {
    return false;
  }
  fitted.swap(out);
  return true;
}

}  // namespace lumavex
