#pragma once
// Checks a JPEG frame file before it is copied into a video as it is: it
// must start with SOI, end with EOI, and carry a frame header (SOF) that
// gives its size. Portable; never reads past `size`.
#include <cstddef>
#include <cstdint>

namespace lumavex {

struct JpegFrameInfo {
  bool readable = false;  // SOI, a frame header before the scan, EOI
  int width = 0;
  int height = 0;
};

JpegFrameInfo CheckJpegFrame(const std::uint8_t* data, std::size_t size);

}  // namespace lumavex
