#include "avi/jpeg_frame_check.h"

namespace lumavex {

JpegFrameInfo CheckJpegFrame(const std::uint8_t* data, std::size_t size) {
  JpegFrameInfo info;
  if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) return info;
  if (data[size - 2] != 0xFF || data[size - 1] != 0xD9) return info;
  std::size_t at = 2;
  bool sized = false;
  while (at + 4 <= size) {
    if (data[at] != 0xFF) return info;
    const std::uint8_t marker = data[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const std::size_t length = (static_cast<std::size_t>(data[at + 2]) << 8) | data[at + 3];
    if (length < 2 || at + 2 + length > size) return info;
    const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frameHeader) {
      if (length < 8) return info;
      info.height = (data[at + 5] << 8) | data[at + 6];
      info.width = (data[at + 7] << 8) | data[at + 8];
      sized = info.width > 0 && info.height > 0;
    }
    if (marker == 0xDA) {  // start of scan: the frame header must have come before
      info.readable = sized;
      if (!sized) info.width = info.height = 0;
      return info;
    }
    at += 2 + length;
  }
  info.width = info.height = 0;
  return info;
}

}  // namespace lumavex
