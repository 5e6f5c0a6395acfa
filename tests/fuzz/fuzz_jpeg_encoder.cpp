// Fuzzes the JPEG encoder: picture size (1..512 each way), row padding,
// orientation, channel order, quality, chroma layout and pixels all come
// from the input. Every encode must succeed, form a well-made JFIF stream
// and decode (with libjpeg-turbo, loaded at run time) to the right size and
// to exactly the pixels the standard Huffman tables give; half the inputs
// also check that symbols computed again code as the kept ones do, and
// some go through the library's record checks and file writer.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_library.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "tests/native/jpeg_reference_codec.h"

namespace {

using namespace lumavex::jpeg;

void check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_jpeg_encoder: %s\n", what);
    std::abort();
  }
}

class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  unsigned byte() { return position_ < size_ ? data_[position_++] : 0; }
  unsigned word() { return byte() | (byte() << 8); }
  const std::uint8_t* rest() const { return data_ + position_; }
  std::size_t restSize() const { return size_ - position_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t position_ = 0;
};

// Walks the marker segments up to the scan, then checks that inside the
// entropy-coded data every 0xFF byte is stuffed, up to the final EOI.
void checkStream(const unsigned char* data, std::size_t size, int width, int height) {
  check(size >= 4 && data[0] == 0xFF && data[1] == 0xD8, "no SOI");
  check(data[size - 2] == 0xFF && data[size - 1] == 0xD9, "no EOI at the end");
  std::size_t i = 2;
  bool sawFrame = false;
  for (;;) {
    check(i + 4 <= size && data[i] == 0xFF, "marker expected");
    const unsigned marker = data[i + 1];
    const std::size_t length = (static_cast<std::size_t>(data[i + 2]) << 8) | data[i + 3];
    check(length >= 2 && i + 2 + length <= size, "segment overruns the file");
    if (marker == 0xC0) {
      const unsigned frameHeight = (data[i + 5] << 8) | data[i + 6];
      const unsigned frameWidth = (data[i + 7] << 8) | data[i + 8];
      check(static_cast<int>(frameWidth) == width && static_cast<int>(frameHeight) == height,
            "SOF0 size differs");
      sawFrame = true;
    }
    i += 2 + length;
    if (marker == 0xDA) break;
  }
  check(sawFrame, "no SOF0");
  for (; i + 2 < size; ++i) {
    if (data[i] == 0xFF) {
      check(data[i + 1] == 0x00, "unstuffed 0xFF in the scan");
      ++i;
    }
  }
}

std::string scratchPath() { return "/tmp/fuzz_jpeg_encoder_" + std::to_string(getpid()) + ".jpg"; }

bool exists(const std::string& path) {
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    std::fclose(f);
    return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  InputReader input(data, size);
  const int width = 1 + static_cast<int>(input.word() % 512);
  const int height = 1 + static_cast<int>(input.word() % 512);
  const int pad = static_cast<int>(input.byte() % 4);
  const int quality = 1 + static_cast<int>(input.byte() % 100);
  const unsigned flags = input.byte();

  // Exactly the bytes the rows span, so any read past them is caught.
  const std::ptrdiff_t rowBytes = 3 * static_cast<std::ptrdiff_t>(width) + pad;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(rowBytes) * height, 0);
  if (input.restSize() > 0) {
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = input.rest()[i % input.restSize()];
  }

  SourceImage image;
  image.pixels = pixels.data();
  image.width = width;
  image.height = height;
  image.rowBytes = rowBytes;
  image.bottomUp = (flags & 1) != 0;
  image.order = (flags & 2) != 0 ? PixelOrder::Rgb : PixelOrder::Bgr;
  EncodeSettings settings;
  settings.quality = quality;
  const unsigned layout = (flags >> 2) & 3;
  settings.grayscale = layout == 3;
  settings.subsampling = layout == 0   ? Subsampling::Full444
                         : layout == 1 ? Subsampling::Horizontal422
                                       : Subsampling::Both420;

  JpegOutputBuffer out;
  check(EncodeJpeg(image, settings, out) == EncodeResult::Ok, "encode failed");
  checkStream(out.data(), out.size(), width, height);

  EncodeSettings standardSettings = settings;
  standardSettings.huffmanTables = HuffmanTables::Standard;
  JpegOutputBuffer standard;
  check(EncodeJpeg(image, standardSettings, standard) == EncodeResult::Ok,
        "encode with standard tables failed");

  if ((flags & 0x10) != 0) {
    EncodeSettings recompute = settings;
    recompute.keptSymbolsLimit = 0;
    JpegOutputBuffer again;
    check(EncodeJpeg(image, recompute, again) == EncodeResult::Ok, "encode without kept symbols failed");
    check(again.size() == out.size() && std::memcmp(again.data(), out.data(), out.size()) == 0,
          "symbols computed again code differently");
  }

  lumavex::testing::ReferenceCodec& reference = lumavex::testing::ReferenceCodec::instance();
  if (reference.available()) {
    lumavex::testing::DecodedPicture decoded, decodedStandard;
    check(reference.decode(out.data(), out.size(), decoded), "libjpeg-turbo cannot decode the output");
    check(decoded.width == width && decoded.height == height, "decoded size differs");
    check(reference.decode(standard.data(), standard.size(), decodedStandard),
          "libjpeg-turbo cannot decode the output with standard tables");
    check(decoded.rgb == decodedStandard.rgb, "tables per frame decode to other pixels");
  }

  // One input in eight also goes through the library's record, with some
  // fields possibly spoiled, and its file writer.
  if ((flags & 0xE0) == 0xE0) {
    const std::string path = scratchPath();
    JpegCoreProperties props{};
    jpegInit(&props);
    props.DIBBytes = pixels.data();
    props.DIBWidth = width;
    props.DIBHeight = image.bottomUp ? -height : height;
    props.DIBPadBytes = pad;
    props.JPGFile = path.c_str();
    props.JPGWidth = width;
    props.JPGHeight = height;
    props.jquality = quality;
    const unsigned spoil = input.byte();
    if (spoil & 1) props.JPGWidth = width + 1;
    if (spoil & 2) props.DIBPadBytes = pad + 4;
    if (spoil & 4) props.jquality = 0;
    const int result = jpegWrite(&props, JPEG_JFILE_WRITEWHOLEIMAGE);
    check((result == JPEG_OK) == ((spoil & 7) == 0), "unexpected jpegWrite result");
    check(exists(path) == (result == JPEG_OK), "file left in the wrong state");
    check(!exists(path + ".part"), "temporary left behind");
    jpegFree(&props);
    std::remove(path.c_str());
  }
  return 0;
}
