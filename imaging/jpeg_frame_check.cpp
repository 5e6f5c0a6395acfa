#include "imaging/jpeg_frame_check.h"

#include <cstring>

namespace lumavex {
namespace {

constexpr std::uint8_t kSoi = 0xD8;
constexpr std::uint8_t kEoi = 0xD9;
constexpr std::uint8_t kSos = 0xDA;
constexpr std::uint8_t kDhp = 0xDE;  // the hierarchical image's size, before its frames

// Start-of-frame markers of every coding process: C0..CF less DHT (C4),
// the reserved JPG (C8) and DAC (CC).
bool IsFrameHeader(std::uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}
bool IsArithmetic(std::uint8_t frameMarker) { return (frameMarker & 0x08) != 0; }
bool IsLossless(std::uint8_t frameMarker) { return (frameMarker & 0x03) == 0x03; }
bool IsHierarchical(std::uint8_t frameMarker) { return (frameMarker & 0x04) != 0; }
bool IsRestart(std::uint8_t marker) { return marker >= 0xD0 && marker <= 0xD7; }

// Markers that stand alone, without a length: TEM and the restart markers.
bool StandsAlone(std::uint8_t marker) { return marker == 0x01 || IsRestart(marker); }

JpegCoding CodingOf(std::uint8_t frameMarker, bool hierarchical) {
  if (hierarchical || IsHierarchical(frameMarker))
    return IsArithmetic(frameMarker) ? JpegCoding::kHierarchicalArithmetic : JpegCoding::kHierarchicalHuffman;
  if (IsArithmetic(frameMarker)) return JpegCoding::kArithmetic;
  switch (frameMarker) {
    case 0xC0:
      return JpegCoding::kBaseline;
    case 0xC1:
      return JpegCoding::kExtendedHuffman;
    case 0xC2:
      return JpegCoding::kProgressiveHuffman;
    default:
      return JpegCoding::kLosslessHuffman;
  }
}

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

struct FrameHeader {
  int width = 0;
  int height = 0;
  int precision = 0;
  int components = 0;
  // The least entropy-coded data its scans can take with Huffman coding:
  // one bit for every 8x8 block of every component, or for every sample of
  // a lossless frame, which has no blocks.
  std::uint64_t leastHuffmanBits = 0;
};

// A frame header (SOFn) or a hierarchical image's size (DHP), which share
// their layout: precision, height, width, component count, then for each
// component its id, sampling factors and table. False for what no decoder
// can read or should be asked to allocate for.
bool ReadFrameHeader(const std::uint8_t* segment, std::size_t segmentSize, bool lossless,
                     FrameHeader& frame) {
  if (segmentSize < 6) return false;
  frame.precision = segment[0];
  frame.height = (segment[1] << 8) | segment[2];
  frame.width = (segment[3] << 8) | segment[4];
  frame.components = segment[5];
  if (frame.precision < 2 || frame.precision > 16 || frame.components == 0 ||
      segmentSize < 6 + 3 * static_cast<std::size_t>(frame.components))
    return false;
  if (frame.width == 0 || frame.height == 0 || frame.width > kMaxJpegSide || frame.height > kMaxJpegSide ||
      static_cast<std::int64_t>(frame.width) * frame.height > kMaxJpegPixels)
    return false;
  const std::uint8_t* sampling = segment + 7;  // every third byte: horizontal << 4 | vertical
  int maxH = 0;
  int maxV = 0;
  for (int c = 0; c < frame.components; ++c) {
    const int h = sampling[3 * c] >> 4;
    const int v = sampling[3 * c] & 0x0F;
    if (h < 1 || h > 4 || v < 1 || v > 4) return false;
    if (h > maxH) maxH = h;
    if (v > maxV) maxV = v;
  }
  const std::uint64_t unit = lossless ? 1 : 8;
  frame.leastHuffmanBits = 0;
  for (int c = 0; c < frame.components; ++c) {
    // A component's samples, counted without the padding of interleaved
    // scans, which only adds to the least.
    const std::uint64_t columns =
        CeilDiv(static_cast<std::uint64_t>(frame.width) * (sampling[3 * c] >> 4), maxH);
    const std::uint64_t rows =
        CeilDiv(static_cast<std::uint64_t>(frame.height) * (sampling[3 * c] & 0x0F), maxV);
    frame.leastHuffmanBits += CeilDiv(columns, unit) * CeilDiv(rows, unit);
  }
  return true;
}

// A scan header: one to four components, each with its tables, then the
// coefficient range and successive approximation bytes.
bool IsScanHeader(const std::uint8_t* segment, std::size_t segmentSize) {
  if (segmentSize < 1) return false;
  const std::size_t components = segment[0];
  return components >= 1 && components <= 4 && segmentSize == 1 + 2 * components + 3;
}

// Steps `at` over a scan's entropy-coded data to the marker that ends it,
// adding the data bytes it holds to `dataBytes`: a stuffed 0xFF 0x00 is one,
// restart markers and fill bytes are none. False when the data runs to the
// end without a marker.
bool SkipEntropyCodedData(const std::uint8_t* data, std::size_t size, std::size_t& at,
                          std::uint64_t& dataBytes) {
  for (;;) {
    if (at >= size) return false;
    const void* found = std::memchr(data + at, 0xFF, size - at);
    if (found == nullptr) return false;
    const std::size_t ff = static_cast<std::size_t>(static_cast<const std::uint8_t*>(found) - data);
    dataBytes += ff - at;
    if (ff + 1 >= size) return false;
    const std::uint8_t next = data[ff + 1];
    if (next == 0x00) {
      ++dataBytes;
      at = ff + 2;
    } else if (IsRestart(next)) {
      at = ff + 2;
    } else if (next == 0xFF) {
      at = ff + 1;  // fill: the marker comes after the last 0xFF
    } else {
      at = ff;
      return true;
    }
  }
}

}  // namespace

JpegFrameInfo CheckJpegFrame(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 4 || data[0] != 0xFF || data[1] != kSoi) return {};

  // Marker segments are stepped over by their lengths, so that an APPn
  // segment's thumbnail, with its own SOI and EOI, is not taken for the
  // image; each scan's entropy-coded data runs to the next marker. The first
  // EOI after a scan ends the image, whatever follows it.
  FrameHeader image;  // the first frame's, or the DHP segment's
  std::uint8_t frameMarker = 0;
  int frames = 0;
  bool hierarchical = false;  // a DHP segment came first: several frames may follow
  bool scanned = false;
  std::uint64_t leastBits = 0;
  std::uint64_t dataBytes = 0;
  std::size_t i = 2;
  for (;;) {
    if (i >= size || data[i] != 0xFF) return {};
    while (i < size && data[i] == 0xFF) ++i;  // fill bytes before a marker
    if (i >= size) return {};
    const std::uint8_t marker = data[i++];
    if (marker == kEoi) {
      if (!scanned) return {};
      break;
    }
    if (marker == 0x00 || marker == kSoi) return {};
    if (StandsAlone(marker)) continue;
    if (size - i < 2) return {};
    const std::size_t length = (static_cast<std::size_t>(data[i]) << 8) | data[i + 1];
    if (length < 2 || length > size - i) return {};
    const std::uint8_t* segment = data + i + 2;
    const std::size_t segmentSize = length - 2;
    i += length;
    if (IsFrameHeader(marker)) {
      if (frames > 0 && !hierarchical) return {};
      FrameHeader frame;
      if (!ReadFrameHeader(segment, segmentSize, IsLossless(marker), frame)) return {};
      if (!IsArithmetic(marker)) {
        leastBits += frame.leastHuffmanBits;
        // No file this size holds that much: stop before the sum can grow.
        if (leastBits / 8 > size) return {};
      }
      if (frames++ == 0) {
        frameMarker = marker;
        if (!hierarchical) image = frame;
      }
    } else if (marker == kDhp) {
      if (hierarchical || frames > 0 || !ReadFrameHeader(segment, segmentSize, false, image)) return {};
      hierarchical = true;
    } else if (marker == kSos) {
      if (frames == 0 || !IsScanHeader(segment, segmentSize)) return {};
      if (!SkipEntropyCodedData(data, size, i, dataBytes)) return {};
      scanned = true;
    }
  }
  if (dataBytes == 0 || leastBits > 8 * dataBytes) return {};

  JpegFrameInfo info;
  info.readable = true;
  info.width = image.width;
  info.height = image.height;
  info.coding = CodingOf(frameMarker, hierarchical);
  info.frameMarker = frameMarker;
  info.precision = image.precision;
  info.components = image.components;
  info.length = i;
  return info;
}

bool EveryMotionJpegPlayerReads(const JpegFrameInfo& info) {
  return info.readable &&
         (info.coding == JpegCoding::kBaseline || info.coding == JpegCoding::kExtendedHuffman) &&
         info.precision == 8 && (info.components == 1 || info.components == 3);
}

}  // namespace lumavex
