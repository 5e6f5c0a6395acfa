// Frames are checked before they are copied into a video as they are: a
// file that is cut short, is not a JPEG or has no frame header must be told
// from a whole one, without reading past its end.
#include "imaging/jpeg_frame_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "native/mjpeg_test_frames.h"

namespace lumavex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
const std::uint8_t kSof0[] = {0xFF, 0xC0};

// On an exact-size heap copy, so that AddressSanitizer sees any overread.
JpegFrameInfo Check(const Bytes& bytes) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size()]);
  std::copy(bytes.begin(), bytes.end(), copy.get());
  return CheckJpegFrame(copy.get(), bytes.size());
}

TEST(CheckJpegFrame, ReadsTheSizeOfWholeFrames) {
  const std::tuple<int, int, bool> sizes[] = {{163, 123, false},
                                              {1, 1, false},
                                              {17, 9, true},
                                              {4000, 8, false}};
  for (const auto& [w, h, gray] : sizes) {
    const JpegFrameInfo info = Check(EncodeTestFrame(w, h, 7, 30, gray));
    EXPECT_TRUE(info.readable && info.width == w && info.height == h) << w << "x" << h;
  }
  Bytes progressive = EncodeTestFrame(163, 123, 1, 20);
  const std::size_t sof =
      std::search(progressive.begin(), progressive.end(), kSof0, kSof0 + 2) - progressive.begin();
  progressive[sof + 1] = 0xC2;
  const JpegFrameInfo info = Check(progressive);
  EXPECT_TRUE(info.readable && info.width == 163 && info.height == 123);
}

TEST(CheckJpegFrame, RejectsCutAndBrokenFiles) {
  const Bytes whole = EncodeTestFrame(163, 123, 1, 20);
  for (std::size_t size = 0; size < whole.size(); size += size < 700 ? 1 : 97)
    EXPECT_FALSE(Check(Bytes(whole.begin(), whole.begin() + size)).readable) << "cut to " << size;
  const std::string text = "A text file named like a frame.\r\n";
  EXPECT_FALSE(Check(Bytes(text.begin(), text.end())).readable);
  EXPECT_FALSE(Check(Bytes{0xFF, 0xD8, 0xFF, 0xD9}).readable);

  const std::size_t sof = std::search(whole.begin(), whole.end(), kSof0, kSof0 + 2) - whole.begin();
  const std::size_t sofEnd = sof + 2 + ((whole[sof + 2] << 8) | whole[sof + 3]);
  Bytes noFrameHeader = whole;
  noFrameHeader.erase(noFrameHeader.begin() + sof, noFrameHeader.begin() + sofEnd);
  EXPECT_FALSE(Check(noFrameHeader).readable);
  // One byte changed at a time: offset, value, what it breaks.
  const std::tuple<std::size_t, int, const char*> changes[] = {{1, 0xD9, "no SOI"},
                                                               {2, 0x12, "no marker"},
                                                               {4, 0xFF, "segment past the end"},
                                                               {5, 0x01, "length below 2"},
                                                               {sof + 7, 0x00, "width 0"},
                                                               {sof + 9, 200, "components past the segment"},
                                                               {whole.size() - 1, 0x00, "no EOI"}};
  for (const auto& [at, value, what] : changes) {
    Bytes broken = whole;
    broken[at] = static_cast<std::uint8_t>(value);
    if (at == 5) broken[4] = 0;
    if (at == sof + 7) broken[sof + 8] = 0;
    EXPECT_FALSE(Check(broken).readable) << what;
  }
}

}  // namespace
}  // namespace lumavex::testing
