#include "imaging/bmp_writer.h"

#include <cstring>

namespace lumavex {

void PutLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
  PutLe16(p, static_cast<std::uint16_t>(v));
  PutLe16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

void StoreBmpFileHeader(const BmpFileHeader& header, std::uint8_t* bytes) {
  PutLe16(bytes, header.type);
  PutLe32(bytes + 2, header.size);
  PutLe16(bytes + 6, header.reserved1);
  PutLe16(bytes + 8, header.reserved2);
  PutLe32(bytes + 10, header.bitOffset);
}

std::uint32_t Bmp24RowBytes(std::int64_t width) {
  return static_cast<std::uint32_t>(Image::StrideFor(width));
}

std::vector<std::uint8_t> Bmp24Headers(std::int32_t width, std::int32_t height) {
  const std::uint64_t row = Bmp24RowBytes(width);
  if (row == 0 || height <= 0) return {};
  const std::uint64_t image = row * static_cast<std::uint64_t>(height);
  if (image + kBmpHeadersSize > 0xFFFFFFFFull) return {};

  std::vector<std::uint8_t> h(kBmpHeadersSize, 0);
  BmpFileHeader file;
  file.type = 0x4D42;  // "BM"
  file.size = static_cast<std::uint32_t>(kBmpHeadersSize + image);
  file.bitOffset = kBmpHeadersSize;
  StoreBmpFileHeader(file, h.data());
  PutLe32(&h[14], 40);
  PutLe32(&h[18], static_cast<std::uint32_t>(width));
  PutLe32(&h[22], static_cast<std::uint32_t>(height));
  PutLe16(&h[26], 1);
  PutLe16(&h[28], 24);
  PutLe32(&h[34], static_cast<std::uint32_t>(image));
  return h;
}

std::vector<std::uint8_t> EncodeBmp24(std::int32_t width, std::int32_t height, const std::uint8_t* rows,
                                      std::size_t stride) {
  std::vector<std::uint8_t> file = Bmp24Headers(width, height);
  if (file.empty() || rows == nullptr) return {};
  const std::size_t row = Bmp24RowBytes(width);
  const std::size_t pixels = static_cast<std::size_t>(width) * 3;
  file.resize(kBmpHeadersSize + row * static_cast<std::size_t>(height), 0);
  for (std::int32_t y = 0; y < height; ++y) {
    std::memcpy(&file[kBmpHeadersSize + row * static_cast<std::size_t>(y)],
                rows + stride * static_cast<std::size_t>(y), pixels);
  }
  return file;
}

}  // namespace lumavex

namespace lumavex {

std::vector<std::uint8_t> BmpFileOf(const Image& image) {
  std::vector<std::uint8_t> file = Bmp24Headers(image.width(), image.height());
  if (file.empty()) return file;
  file.resize(kBmpHeadersSize + image.pixels().size());
  std::memcpy(file.data() + kBmpHeadersSize, image.data(), image.pixels().size());
  return file;
}

}  // namespace lumavex
