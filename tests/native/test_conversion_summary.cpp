// The texts a conversion ends with, and the size arithmetic that decides
// whether an AVI 1.0 video fits.
#include <gtest/gtest.h>

#include <optional>

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

// Frames before the first readable one have no frame before them: the text
// names the frame that stood in for them. Frames no player reads come last.
TEST(ConversionSummary, NamesTheFrameUsedForTheFirstOnesAndCountsFramesEncodedAgain) {
  ConversionSummary s;
  s.ReplacedByFirst("C:\\rec\\a0.jpg", "C:\\rec\\a2.jpg");
  s.ReplacedByFirst("C:\\rec\\a1.jpg", "C:\\rec\\a2.jpg");
  s.EncodedAgain("C:\\rec\\a4.jpg");
  s.Replaced("C:\\rec\\a3.jpg");
  EXPECT_EQ(s.replaced(), 3);
  EXPECT_FALSE(s.empty());
  EXPECT_EQ(s.Text(163, 123),
            "2 frames before the first readable one could not be read and were replaced by it:\r\n"
            "C:\\rec\\a0.jpg\r\nUsed instead: C:\\rec\\a2.jpg\r\n\r\n"
            "1 frame could not be read and was replaced by the frame before it.\r\nC:\\rec\\a3.jpg\r\n\r\n"
            "1 frame of a JPEG kind that not every player reads was encoded again.\r\nC:\\rec\\a4.jpg");

  ConversionSummary again;
  again.EncodedAgain("x1.jpg");
  again.EncodedAgain("x2.jpg");
  EXPECT_EQ(again.Text(8, 8),
            "2 frames of a JPEG kind that not every player reads were encoded again.\r\nx1.jpg");
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
  EXPECT_EQ(WriteFailureText("D:\\v.avi", 12 * 1024),
            "There was an error writing the file.\r\nD:\\v.avi\r\nFree space on its volume: 12 KB.\r\n"
            "The incomplete file was removed.");
  EXPECT_EQ(WriteFailureText("D:\\v.avi", std::nullopt),
            "There was an error writing the file.\r\nD:\\v.avi\r\nThe incomplete file was removed.");
  EXPECT_EQ(NoRoomText("D:\\王伟.avi", 3 << 20, 1 << 20, "C:\\"),
            "The video would take 3 MB, but the volume C:\\ has only 1 MB free:\r\nD:\\王伟.avi\r\n"
            "Nothing was written.");
  EXPECT_EQ(
      CutShortText("D:\\v.avi", std::uint64_t{1} << 31, 29000, 30000),
      "The video reached the 2 GB an AVI file of this kind can hold and was ended there: it holds 29,000 of "
      "the 30,000 frames.\r\nD:\\v.avi");
}

// What the pre-check must tell apart: an hour of 163x123 frames (60,516
// bytes each) fits an AVI 1.0 file, ten hours do not, nor 1,000 frames of
// 1024x768. Whatever the allowance, the estimate is never below what the
// frames take in the file: each a chunk with an 8-byte header and a 16-byte
// index entry.
TEST(AviSize, UncompressedSizeAgainstTheLimit) {
  EXPECT_LT(UncompressedAviSize(3600, 60516), kAvi1SizeLimit);
  EXPECT_GT(UncompressedAviSize(36000, 60516), kAvi1SizeLimit);
  EXPECT_GT(UncompressedAviSize(1000, 1024 * 768 * 3), kAvi1SizeLimit);
  for (std::uint64_t frames : {1u, 7u, 3600u})
    EXPECT_GE(UncompressedAviSize(frames, 60516), frames * (60516 + 8 + 16)) << frames;
}

// A compressed stream stops before the frame that could take it past the
// limit, not after: 10,000-byte frames in a 1,000,000-byte limit leave room
// for 93 frames once the 64 KB of headers and 25 bytes a frame are counted.
TEST(AviSize, NextFramePassesLimitStopsBeforeTheLimit) {
  std::uint64_t written = 0, frames = 0;
  while (!NextFramePassesLimit(written, frames, 10'000, 1'000'000)) {
    written += 10'000;
    ++frames;
  }
  EXPECT_EQ(frames, 93u);
  EXPECT_TRUE(NextFramePassesLimit(0, 0, 1'000'000, 1'000'000));
  EXPECT_FALSE(NextFramePassesLimit(0, 0, 1'000'000 - 65'536 - 25, 1'000'000));
}

}  // namespace
}  // namespace lumavex
