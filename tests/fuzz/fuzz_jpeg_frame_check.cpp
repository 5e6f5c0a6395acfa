// Fuzzes the check that frames pass before any decoder or the video sees
// them: it must never read outside the input (AddressSanitizer sees to that
// on these exact-size copies), and whatever it calls readable must start
// with SOI, end with EOI within the input at the length it reports, have a
// size within the limits, and read the same when cut to that length.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "imaging/jpeg_frame_check.h"

namespace {

lumavex::JpegFrameInfo CheckCopy(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[size > 0 ? size : 1]);
  if (size > 0) std::memcpy(copy.get(), data, size);
  return lumavex::CheckJpegFrame(copy.get(), size);
}

bool SameFrame(const lumavex::JpegFrameInfo& a, const lumavex::JpegFrameInfo& b) {
  return a.readable == b.readable && a.width == b.width && a.height == b.height && a.coding == b.coding &&
         a.frameMarker == b.frameMarker && a.precision == b.precision && a.components == b.components &&
         a.length == b.length;
}

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_jpeg_frame_check: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lumavex::JpegFrameInfo info = CheckCopy(data, size);
  if (!info.readable) {
    if (!SameFrame(info, lumavex::JpegFrameInfo{})) Fail("details for an unreadable frame");
    return 0;
  }
  const std::size_t length = info.length;
  if (length < 4 || length > size || data[0] != 0xFF || data[1] != 0xD8 || data[length - 2] != 0xFF ||
      data[length - 1] != 0xD9)
    Fail("readable without SOI, or its length not ending with EOI within the input");
  if (info.width < 1 || info.height < 1 || info.width > lumavex::kMaxJpegSide ||
      info.height > lumavex::kMaxJpegSide ||
      static_cast<std::int64_t>(info.width) * info.height > lumavex::kMaxJpegPixels)
    Fail("readable with a size outside the limits");
  if (info.coding == lumavex::JpegCoding::kNone || info.precision < 1 || info.components < 1)
    Fail("readable without its coding, precision or components");
  if (!SameFrame(CheckCopy(data, length), info)) Fail("the image cut to its length reads differently");
  return 0;
}
