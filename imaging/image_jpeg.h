#pragma once
// A picture in memory encoded by the JPEG library's encoder.
#include "imaging/image.h"
#include "imaging/jpeg/jpeg_output_buffer.h"

namespace lumavex {

// Appends the baseline JFIF file of `image` at `quality` (1..100, chroma
// halved both ways) to `out`. False for an empty picture or when the encoder
// fails.
bool EncodeImageJpeg(const Image& image, int quality, jpeg::JpegOutputBuffer& out);

// The same for 24-bit rows anywhere in memory (`bottomUp`: row 0 in memory
// is the picture's bottom row, as in a DIB section).
bool EncodeBgr24Jpeg(const Bgr24Source& pixels, bool bottomUp, int quality, jpeg::JpegOutputBuffer& out);

}  // namespace lumavex
