#pragma once
// Checks a JPEG frame file before any decoder or the video sees it: it must
// be a plausible JPEG (SOI, whole marker segments, a frame header before the
// scans, scan data, EOI), of a size a decoder can afford, with enough
// entropy-coded data for that size. Bytes after the image's EOI are allowed
// (motion photos, padded camera files): `length` tells where the image ends.
// Portable; never reads past `size`, and walks the data once.
#include <cstddef>
#include <cstdint>

namespace lumavex {

// Larger frames are refused before a decoder allocates for them.
constexpr int kMaxJpegSide = 16384;
constexpr std::int64_t kMaxJpegPixels = 64000000;

// The coding process, from the frame header's marker (SOFn).
enum class JpegCoding {
  kNone,                    // no frame header
  kBaseline,                // SOF0
  kExtendedHuffman,         // SOF1: sequential, Huffman, 8 or 12 bits
  kProgressiveHuffman,      // SOF2
  kLosslessHuffman,         // SOF3
  kHierarchicalHuffman,     // SOF5..SOF7, or a DHP segment before Huffman frames
  kArithmetic,              // SOF9..SOF11
  kHierarchicalArithmetic,  // SOF13..SOF15, or a DHP segment before arithmetic frames
};

struct JpegFrameInfo {
  bool readable = false;  // everything else stays at its default when false
  int width = 0;
  int height = 0;
  JpegCoding coding = JpegCoding::kNone;
  std::uint8_t frameMarker = 0;  // second byte of the first SOFn marker (0xC0..0xCF)
  int precision = 0;             // bits per sample
  int components = 0;
  // Bytes of the image up to and including the EOI that ends its last scan;
  // whatever follows it in the file is not read.
  std::size_t length = 0;
};

JpegFrameInfo CheckJpegFrame(const std::uint8_t* data, std::size_t size);

// Whether every Motion JPEG player reads the frame as it is: readable,
// sequential Huffman (SOF0 or SOF1), 8-bit, gray or three components.
// Other readable frames must be decoded and encoded again to go into one.
bool EveryMotionJpegPlayerReads(const JpegFrameInfo& info);

}  // namespace lumavex
