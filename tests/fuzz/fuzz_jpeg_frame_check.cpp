// Fuzzes the check that frames pass before they are copied into a video:
// it must never read outside the input (AddressSanitizer sees to that on
// this exact-size copy), and whatever it calls readable must at least start
// with SOI, end with EOI and have a size.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/jpeg_frame_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size > 0 ? size : 1]);
  if (size > 0) std::memcpy(copy.get(), data, size);
  const lumavex::JpegFrameInfo info = lumavex::CheckJpegFrame(copy.get(), size);
  if (info.readable) {
    const bool sound = size >= 4 && copy[0] == 0xFF && copy[1] == 0xD8 && copy[size - 2] == 0xFF &&
                       copy[size - 1] == 0xD9 && info.width > 0 && info.height > 0 && info.width <= 0xFFFF &&
                       info.height <= 0xFFFF;
    if (!sound) {
      std::fprintf(stderr, "fuzz_jpeg_frame_check: readable without SOI, EOI or a size\n");
      std::abort();
    }
  } else if (info.width != 0 || info.height != 0) {
    std::fprintf(stderr, "fuzz_jpeg_frame_check: a size for an unreadable frame\n");
    std::abort();
  }
  return 0;
}
