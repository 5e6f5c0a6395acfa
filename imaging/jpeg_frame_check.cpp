#include "imaging/jpeg_frame_check.h"

namespace lumavex {
namespace {

constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;

// Start-of-frame markers of every coding process: C0..CF less DHT (C4),
// the reserved JPG (C8) and DAC (CC).
bool IsFrameHeader(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(std::uint8_t marker) { return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7); }

}  // namespace

JpegFrameInfo CheckJpegFrame(const std::uint8_t* data, std::size_t size) {
  JpegFrameInfo info;
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != kSoi) return info;
  if (data[size - 2] != 0xFF || data[size - 1] != kEoi) return info;

  // Marker segments up to the first scan; the entropy-coded data after it
  // is not walked, only its end (EOI, checked above).
  int width = 0;
  int height = 0;
  std::size_t i = 2;
  for (;;) {
    if (i >= size || data[i] != 0xFF) return info;
    while (i < size && data[i] == 0xFF) ++i;  // fill bytes before a marker
    if (i >= size) return info;
    const std::uint8_t marker = data[i++];
    if (marker == 0x00 || marker == kSoi || marker == kEoi) return info;
    if (StandsAlone(marker)) continue;
    if (size - i < 2) return info;
    const std::size_t length = (static_cast<std::size_t>(data[i]) << 8) | data[i + 1];
    if (length < 2 || length > size - i) return info;
    const std::uint8_t* segment = data + i + 2;
    const std::size_t segmentSize = length - 2;
    if (IsFrameHeader(marker)) {
      // precision, height, width, component count, then three bytes each
      if (width != 0 || segmentSize < 6) return info;
      const std::size_t components = segment[5];
      if (components == 0 || segmentSize < 6 + 3 * components) return info;
      height = (segment[1] << 8) | segment[2];
      width = (segment[3] << 8) | segment[4];
      if (width == 0 || height == 0) return info;
    }
    i += length;
    if (marker == kSos) break;
  }
  if (width == 0) return info;  // a scan before any frame header
  // The scan's data and EOI must follow: the last two bytes cannot also be
  // part of the scan header.
  if (i >= size - 2) return info;
  info.readable = true;
  info.width = width;
  info.height = height;
  return info;
}

}  // namespace lumavex
