#pragma once
// The baseline JFIF encoder behind the library interface, usable on its own
// to encode into memory (the benchmark and the fuzzer do).
//
// The picture is read in place, one MCU strip (8 or 16 rows) at a time: each
// strip is converted to level-shifted Y/Cb/Cr samples, chroma is averaged
// down, and every 8x8 block goes through the DCT and the quantiser. With
// tables per frame (the default) a first pass counts and keeps the Huffman
// symbols of the quantised blocks; the tables are built from the counts and
// a second pass codes the kept symbols. With the standard tables each block
// goes through the Huffman coder straight away. Both code the same
// quantised blocks, so they decode to the same picture.
#include <cstddef>
#include <cstdint>

#include "imaging/jpeg/jpeg_color.h"
#include "imaging/jpeg/jpeg_output_buffer.h"

namespace lumavex::jpeg {

enum class Subsampling { Full444, Horizontal422, Both420 };

struct SourceImage {
  const std::uint8_t* pixels = nullptr;  // first pixel byte in memory
  int width = 0;                         // 1..65535
  int height = 0;                        // 1..65535
  std::ptrdiff_t rowBytes = 0;           // distance between rows in memory, >= 3 * width
  bool bottomUp = false;                 // first row in memory is the bottom of the picture
  PixelOrder order = PixelOrder::Bgr;
};

enum class HuffmanTables {
  PerFrame,  // built from the frame's own symbol counts: smaller files
  Standard   // the example tables: one pass
};

struct EncodeSettings {
  int quality = 75;  // 1..100
  bool grayscale = false;
  Subsampling subsampling = Subsampling::Both420;
  HuffmanTables huffmanTables = HuffmanTables::PerFrame;
  // PerFrame keeps the symbols of the first pass for the second when the
  // most they can take (256 bytes a block, 12.5 MB for 1920x1080 at 4:2:0;
  // a photograph takes a tenth of that) is within this limit. A larger
  // picture has its blocks computed again in the second pass instead.
  std::size_t keptSymbolsLimit = std::size_t{64} << 20;
};

enum class EncodeResult { Ok, InvalidArgument, OutOfMemory, OutputFailed };

// Appends a complete JFIF file for `image` to `out`.
EncodeResult EncodeJpeg(const SourceImage& image, const EncodeSettings& settings, JpegOutputBuffer& out);

}  // namespace lumavex::jpeg
