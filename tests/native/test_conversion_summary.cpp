// The texts a conversion ends with, and the size arithmetic that decides
// whether an AVI 1.0 video fits.
#include <gtest/gtest.h>

#include "avi/avi_size.h"
#include "writeavi/conversion_summary.h"

namespace lumavex {
namespace {

TEST(ConversionSummary, SaysWhatChangedWithTheFirstFileOfEachKind) {
  ConversionSummary none;
  EXPECT_TRUE(none.empty());
  EXPECT_EQ(none.Text(163, 123), "");

  ConversionSummary one;
  one.Replaced("C:\\rec\\a2.jpg");
  EXPECT_EQ(one.Text(163, 123),
            "1 frame could not be read and was replaced by the frame before it.\r\nC:\\rec\\a2.jpg");

  ConversionSummary both;
  both.Fitted("C:\\rec\\a5.jpg");
  both.Replaced("C:\\rec\\a7.jpg");
  both.Replaced("C:\\rec\\a1.jpg");
  both.Fitted("C:\\rec\\a6.jpg");
  both.Fitted("C:\\rec\\a9.jpg");
  EXPECT_EQ(both.replaced(), 2);
  EXPECT_EQ(both.fitted(), 3);
  EXPECT_EQ(
      both.Text(163, 123),
      "2 frames could not be read and were replaced by the frame before them.\r\nC:\\rec\\a7.jpg\r\n\r\n"
      "3 frames of another size were fitted into 163x123.\r\nC:\\rec\\a5.jpg");
}

TEST(ConversionSummary, CountsAndSizesReadAsPeopleWriteThem) {
  EXPECT_EQ(ByteCount(0), "0 bytes");
  EXPECT_EQ(ByteCount(1), "1 byte");
  EXPECT_EQ(ByteCount(1023), "1023 bytes");
  EXPECT_EQ(ByteCount(1024), "1 KB");
  EXPECT_EQ(ByteCount(20 * 1024), "20 KB");
  EXPECT_EQ(ByteCount(1536 * 1024), "1.5 MB");
  EXPECT_EQ(ByteCount(std::uint64_t{1} << 31), "2 GB");
  EXPECT_EQ(ByteCount(2164327475u), "2.02 GB");
  EXPECT_EQ(ByteCount(std::uint64_t{250} << 20), "250 MB");
  EXPECT_EQ(Grouped(0), "0");
  EXPECT_EQ(Grouped(999), "999");
  EXPECT_EQ(Grouped(30000), "30,000");
  EXPECT_EQ(Grouped(1234567), "1,234,567");
}

TEST(ConversionSummary, FailureTextsNameThePathAndTheFreeSpaceWhereKnown) {
  EXPECT_EQ(WriteFailureText("D:\\v.avi", true, 12 * 1024),
            "There was an error writing the file.\r\nD:\\v.avi\r\nFree space on its volume: 12 KB.\r\n"
            "The incomplete file was removed.");
  EXPECT_EQ(WriteFailureText("D:\\v.avi", false, 0),
            "There was an error writing the file.\r\nD:\\v.avi\r\nThe incomplete file was removed.");
  EXPECT_EQ(
      CutShortText("D:\\v.avi", std::uint64_t{1} << 31, 29000, 30000),
      "The video reached the 2 GB an AVI file of this kind can hold and was ended there: it holds 29,000 of "
      "the 30,000 frames.\r\nD:\\v.avi");
}

// 1,000 frames of 1024x768x3 pass 2 GB; 163x123 frames of a day do not.
TEST(AviSize, UncompressedSizeAgainstTheLimit) {
  EXPECT_GT(UncompressedAviSize(1000, 1024 * 768 * 3), kAvi1SizeLimit);
  EXPECT_LT(UncompressedAviSize(24 * 3600, 163 * 124 * 3 + 123 * 1), kAvi1SizeLimit * 10);
  EXPECT_LT(UncompressedAviSize(3600, 60516), kAvi1SizeLimit);
  EXPECT_GE(UncompressedAviSize(1, 100), 100 + kAviFrameOverhead);
}

// A compressed stream stops before the frame that could take it past the
// limit, not after.
TEST(AviSize, NextFramePassesLimitStopsBeforeTheLimit) {
  const std::uint64_t limit = 1'000'000;
  const std::uint64_t frame = 10'000;
  std::uint64_t written = 0, frames = 0;
  while (!NextFramePassesLimit(written, frames, frame, limit)) {
    written += frame;
    ++frames;
  }
  EXPECT_LE(kAviHeaderAllowance + written + frames * kAviFrameOverhead, limit);
  EXPECT_GT(kAviHeaderAllowance + written + frame + (frames + 1) * kAviFrameOverhead, limit);
  EXPECT_TRUE(NextFramePassesLimit(0, 0, limit, limit));
}

}  // namespace
}  // namespace lumavex
