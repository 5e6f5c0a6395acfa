// Frames are checked before they are copied into a video as they are: a
// file that is cut short, is not a JPEG or carries no frame header must be
// told apart from a whole one, without reading past its end.
#include "avi/jpeg_frame_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "native/mjpeg_test_frames.h"

namespace lumavex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Checks a copy of exactly `size` bytes on the heap, so that AddressSanitizer
// catches any read past the end.
JpegFrameInfo Check(const Bytes& bytes) {
  std::unique_ptr<std::uint8_t[]> copy(new std::uint8_t[bytes.size() + 1]);
  if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
  return CheckJpegFrame(bytes.empty() ? nullptr : copy.get(), bytes.size());
}

// Offset of the first segment with `marker` (the 0xFF before it).
std::size_t FindSegment(const Bytes& jpeg, std::uint8_t marker) {
  std::size_t i = 2;
  while (i + 4 <= jpeg.size() && jpeg[i + 1] != marker) i += 2 + ((jpeg[i + 2] << 8) | jpeg[i + 3]);
  return i;
}

const Bytes& Frame163x123() {
  static const Bytes frame = EncodeTestFrame(163, 123, 1, 20);
  return frame;
}

TEST(CheckJpegFrame, ReadsTheSizeOfOurOwnFrames) {
  struct Case {
    int width, height;
    bool grayscale;
  };
  for (const Case c : {Case{163, 123, false}, Case{320, 240, false}, Case{1, 1, false}, Case{17, 9, true},
                       Case{4000, 8, false}}) {
    const JpegFrameInfo info = Check(EncodeTestFrame(c.width, c.height, 7, 30, c.grayscale));
    EXPECT_TRUE(info.readable) << c.width << "x" << c.height;
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
  }
}

TEST(CheckJpegFrame, ProgressiveAndExtendedFrameHeadersCount) {
  for (const std::uint8_t sof : {0xC1, 0xC2}) {
    Bytes frame = Frame163x123();
    frame[FindSegment(frame, 0xC0) + 1] = sof;
    const JpegFrameInfo info = Check(frame);
    EXPECT_TRUE(info.readable) << int{sof};
    EXPECT_EQ(info.width, 163);
    EXPECT_EQ(info.height, 123);
  }
}

TEST(CheckJpegFrame, RejectsFilesCutShort) {
  const Bytes& whole = Frame163x123();
  // Everywhere from the bare SOI to one byte short of the end.
  for (std::size_t size = 0; size < whole.size(); size += (size < 700 ? 1 : 97)) {
    EXPECT_FALSE(Check(Bytes(whole.begin(), whole.begin() + size)).readable) << size;
  }
  EXPECT_FALSE(Check(Bytes(whole.begin(), whole.end() - 1)).readable);
}

TEST(CheckJpegFrame, RejectsWhatIsNoJpegFrame) {
  const std::string text = "This is a text file named like a frame.\r\n";
  EXPECT_FALSE(Check(Bytes(text.begin(), text.end())).readable);
  EXPECT_FALSE(Check(Bytes{}).readable);
  EXPECT_FALSE(Check(Bytes{0xFF, 0xD8, 0xFF, 0xD9}).readable);  // SOI, EOI and nothing between
  Bytes noSoi = Frame163x123();
  noSoi[1] = 0xD9;
  EXPECT_FALSE(Check(noSoi).readable);
  Bytes trailing = Frame163x123();
  trailing.push_back(0);
  EXPECT_FALSE(Check(trailing).readable);
}

TEST(CheckJpegFrame, RejectsBrokenMarkerSegments) {
  const Bytes& whole = Frame163x123();
  const std::size_t sof = FindSegment(whole, 0xC0);
  const std::size_t sofLength = (whole[sof + 2] << 8) | whole[sof + 3];

  Bytes noFrameHeader = whole;  // the scan comes without a frame header
  noFrameHeader.erase(noFrameHeader.begin() + sof, noFrameHeader.begin() + sof + 2 + sofLength);
  EXPECT_FALSE(Check(noFrameHeader).readable);

  Bytes pastTheEnd = whole;  // a segment length running far past the end
  pastTheEnd[4] = 0xFF;
  pastTheEnd[5] = 0xF0;
  EXPECT_FALSE(Check(pastTheEnd).readable);

  Bytes tooShort = whole;  // a length below its own two bytes
  tooShort[4] = 0;
  tooShort[5] = 1;
  EXPECT_FALSE(Check(tooShort).readable);

  Bytes noMarker = whole;  // garbage where the next marker belongs
  noMarker[2] = 0x12;
  EXPECT_FALSE(Check(noMarker).readable);

  Bytes zeroWidth = whole;
  zeroWidth[sof + 7] = 0;
  zeroWidth[sof + 8] = 0;
  EXPECT_FALSE(Check(zeroWidth).readable);

  Bytes moreComponentsThanBytes = whole;
  moreComponentsThanBytes[sof + 9] = 200;
  EXPECT_FALSE(Check(moreComponentsThanBytes).readable);

  // A file that is nothing but SOI, one frame header and EOI: no scan.
  Bytes headerOnly(whole.begin(), whole.begin() + 2);
  headerOnly.insert(headerOnly.end(), whole.begin() + sof, whole.begin() + sof + 2 + sofLength);
  headerOnly.insert(headerOnly.end(), {0xFF, 0xD9});
  EXPECT_FALSE(Check(headerOnly).readable);
}

}  // namespace
}  // namespace lumavex::testing
