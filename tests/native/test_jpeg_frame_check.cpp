// Frames are checked before any decoder or the video sees them: a file that
// is cut short, is not a JPEG, has no frame header or claims a size it
// cannot hold must be told from a whole one, without reading past its end;
// bytes after the image's EOI belong to no frame.
#include "imaging/jpeg_frame_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
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

std::size_t Find(const Bytes& bytes, std::uint8_t marker) {
  const std::uint8_t pattern[] = {0xFF, marker};
  return std::search(bytes.begin(), bytes.end(), pattern, pattern + 2) - bytes.begin();
}

std::size_t SegmentEnd(const Bytes& bytes, std::size_t at) {
  return at + 2 + ((bytes[at + 2] << 8) | bytes[at + 3]);
}

void SetSize(Bytes& bytes, int width, int height, std::uint8_t sofMarker = 0xC0) {
  const std::size_t sof = Find(bytes, sofMarker);
  const std::uint8_t size[] = {std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8),
                               std::uint8_t(width)};
  std::copy(size, size + 4, bytes.begin() + sof + 5);
}

// A frame of one coding process, its components given by their sampling
// factors (horizontal << 4 | vertical), whose one scan holds `dataBytes`.
Bytes MakeFrame(std::uint8_t sof, int width, int height, const Bytes& sampling, std::size_t dataBytes,
                int precision = 8) {
  Bytes out = {0xFF, 0xD8, 0xFF, 0xC0, 0, std::uint8_t(8 + 3 * sampling.size()), std::uint8_t(precision)};
  out.insert(out.end(), {std::uint8_t(height >> 8), std::uint8_t(height), std::uint8_t(width >> 8),
                         std::uint8_t(width), std::uint8_t(sampling.size())});
  for (std::size_t c = 0; c < sampling.size(); ++c)
    out.insert(out.end(), {std::uint8_t(c + 1), sampling[c], 0});
  out.insert(out.end(), {0xFF, 0xDA, 0, 8, 1, 1, 0, 0, 63, 0});
  out.insert(out.end(), dataBytes, 0x5A);
  out.insert(out.end(), {0xFF, 0xD9});
  out[3] = sof;
  return out;
}

// Readable at its full length only, which it reports; never at any cut.
void ExpectWholeOnlyAtFullLength(const Bytes& bytes, const char* what) {
  for (std::size_t size = 0; size < bytes.size(); ++size)
    EXPECT_FALSE(Check(Bytes(bytes.begin(), bytes.begin() + size)).readable) << what << " cut to " << size;
  const JpegFrameInfo info = Check(bytes);
  EXPECT_TRUE(info.readable && info.length == bytes.size()) << what;
}

TEST(CheckJpegFrame, ReadsTheSizeOfWholeFrames) {
  const std::tuple<int, int, bool> sizes[] = {{163, 123, false},
                                              {1, 1, false},
                                              {17, 9, true},
                                              {4000, 8, false}};
  for (const auto& [w, h, gray] : sizes) {
    const JpegFrameInfo info = Check(EncodeTestFrame(w, h, 7, 30, gray));
    EXPECT_TRUE(info.readable && info.width == w && info.height == h) << w << "x" << h;
    EXPECT_TRUE(info.coding == JpegCoding::kBaseline && info.precision == 8 &&
                info.components == (gray ? 1 : 3) && EveryMotionJpegPlayerReads(info));
  }
  Bytes progressive = EncodeTestFrame(163, 123, 1, 20);
  const std::size_t sof =
      std::search(progressive.begin(), progressive.end(), kSof0, kSof0 + 2) - progressive.begin();
  progressive[sof + 1] = 0xC2;
  const JpegFrameInfo info = Check(progressive);
  EXPECT_TRUE(info.readable && info.width == 163 && info.height == 123);
  EXPECT_TRUE(info.coding == JpegCoding::kProgressiveHuffman && !EveryMotionJpegPlayerReads(info));
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

TEST(CheckJpegFrame, RefusesSizesNoDecoderShouldAllocateFor) {
  // Arithmetic-coded frames have no least data for their size, so only the
  // limits refuse these; a real Huffman frame patched to a refused size is
  // refused too.
  const std::tuple<int, int, bool> sizes[] = {{60000, 30000, false}, {20000, 20000, false},
                                              {16385, 8, false},     {8, 16385, false},
                                              {16384, 16384, false}, {16384, 3907, false},
                                              {8000, 8001, false},   {16384, 3906, true},
                                              {3906, 16384, true},   {8000, 8000, true},
                                              {16384, 1, true}};
  for (const auto& [w, h, passes] : sizes) {
    const JpegFrameInfo info = Check(MakeFrame(0xC9, w, h, {0x11}, 1));
    EXPECT_EQ(info.readable, passes) << w << "x" << h;
    if (passes) EXPECT_TRUE(info.width == w && info.height == h && info.coding == JpegCoding::kArithmetic);
    if (passes) continue;
    Bytes patched = EncodeTestFrame(163, 123, 1, 20);
    SetSize(patched, w, h);
    EXPECT_FALSE(Check(patched).readable) << w << "x" << h << " Huffman";
  }
  EXPECT_TRUE(Check(MakeFrame(0xC0, 8000, 8000, {0x11}, 125000)).readable);  // one bit a block
}

TEST(CheckJpegFrame, RefusesHuffmanFramesTooShortForTheirSize) {
  // Least data: one bit for every 8x8 block of every component (a lossless
  // frame: every sample), worked out by hand.
  const std::tuple<std::uint8_t, int, int, Bytes, std::size_t> frames[] = {
      {0xC0, 8000, 8000, {0x11}, 125000},           // 1000 x 1000 blocks
      {0xC1, 1001, 999, {0x22, 0x11, 0x11}, 2961},  // 126 x 125 + 2 x 63 x 63 blocks = 23688 bits
      {0xC2, 641, 479, {0x21, 0x11, 0x11}, 1223},   // 81 x 60 + 2 x 41 x 60 blocks = 9780 bits
      {0xC3, 100, 50, {0x11}, 625},                 // 5000 samples
      {0xC7, 101, 51, {0x22, 0x11, 0x11}, 976}};    // 101 x 51 + 2 x 51 x 26 samples = 7803 bits
  for (const auto& [sof, w, h, sampling, least] : frames) {
    EXPECT_TRUE(Check(MakeFrame(sof, w, h, sampling, least)).readable) << w << "x" << h;
    EXPECT_FALSE(Check(MakeFrame(sof, w, h, sampling, least - 1)).readable) << w << "x" << h;
    const std::uint8_t arithmetic = sof == 0xC0 ? 0xC9 : sof | 0x08;
    EXPECT_TRUE(Check(MakeFrame(arithmetic, w, h, sampling, 1)).readable) << w << "x" << h << " arithmetic";
  }
  // A stuffed 0xFF 0x00 is one byte of data; restart markers and fill are none.
  Bytes stuffed = MakeFrame(0xC0, 64, 64, {0x11}, 0);  // 64 blocks: 8 bytes
  const Bytes pair = {0xFF, 0x00}, restart = {0xFF, 0xD3, 0xFF, 0xFF};
  for (int n = 0; n < 7; ++n) {
    stuffed.insert(stuffed.end() - 2, pair.begin(), pair.end());
    stuffed.insert(stuffed.end() - 2, restart.begin(), restart.end());
  }
  EXPECT_FALSE(Check(stuffed).readable);
  stuffed.insert(stuffed.end() - 2, pair.begin(), pair.end());
  EXPECT_TRUE(Check(stuffed).readable);

  Bytes patched = EncodeTestFrame(163, 123, 1, 20);
  SetSize(patched, 4000, 3000);  // 281500 blocks: 35 KB
  EXPECT_FALSE(Check(patched).readable);
  Bytes lossless = EncodeLosslessTestFrame(37, 23, 2);
  SetSize(lossless, 370, 230, 0xC3);
  EXPECT_FALSE(Check(lossless).readable);
}

TEST(CheckJpegFrame, PassesRealFramesOfEverySizeAndSubsampling) {
  const jpeg::Subsampling subsamplings[] = {jpeg::Subsampling::Full444, jpeg::Subsampling::Horizontal422,
                                            jpeg::Subsampling::Both420};
  const int sides[] = {1, 7, 8, 9, 16, 17, 33, 250, 1001};
  for (const bool gray : {false, true}) {
    for (const jpeg::Subsampling subsampling : subsamplings) {
      for (const int w : sides) {
        for (const int h : sides) {
          // One flat colour at the lowest quality: the least data a frame of this size takes.
          const std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 3, 90);
          jpeg::SourceImage image;
          image.pixels = pixels.data();
          image.width = w;
          image.height = h;
          image.rowBytes = 3 * w;
          jpeg::JpegOutputBuffer out;
          ASSERT_EQ(jpeg::EncodeJpeg(image, {1, gray, subsampling}, out), jpeg::EncodeResult::Ok);
          const JpegFrameInfo info = Check(Bytes(out.data(), out.data() + out.size()));
          EXPECT_TRUE(info.readable && info.width == w && info.height == h) << w << "x" << h;
        }
      }
    }
  }
  for (const int side : sides) {
    const JpegFrameInfo info = Check(EncodeLosslessTestFrame(side, 1002 - side, 3));
    EXPECT_TRUE(info.readable && info.width == side && info.height == 1002 - side) << side;
    EXPECT_TRUE(info.coding == JpegCoding::kLosslessHuffman && !EveryMotionJpegPlayerReads(info));
  }
}

TEST(CheckJpegFrame, EndsTheImageAtTheEoiAfterItsScans) {
  const Bytes whole = EncodeTestFrame(40, 30, 2, 20);
  std::mt19937 random(4);
  Bytes noise(500);
  for (std::uint8_t& byte : noise) byte = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random());
  const Bytes trailers[] = {noise,  Bytes(64, 0), {'\r', '\n'},
                            {0xFF}, {0xFF, 0xD9}, EncodeTestFrame(16, 8, 5, 50)};
  for (const Bytes& trailer : trailers) {
    Bytes file = whole;
    file.insert(file.end(), trailer.begin(), trailer.end());
    const JpegFrameInfo info = Check(file);
    EXPECT_TRUE(info.readable && info.length == whole.size() && info.width == 40) << trailer.size();
  }
  // A second JPEG after it: every cut that keeps the first one whole reads it.
  Bytes two = whole;
  two.insert(two.end(), trailers[5].begin(), trailers[5].end());
  for (std::size_t size = 0; size <= two.size(); ++size) {
    const JpegFrameInfo info = Check(Bytes(two.begin(), two.begin() + size));
    EXPECT_EQ(info.readable, size >= whole.size()) << "cut to " << size;
    if (info.readable) EXPECT_EQ(info.length, whole.size());
  }

  // A thumbnail with its own SOI and EOI in an APP1 segment is stepped over.
  const Bytes thumbnail = EncodeTestFrame(16, 8, 6, 10);
  Bytes withThumbnail = {
      0xFF, 0xD8, 0xFF, 0xE1, std::uint8_t((thumbnail.size() + 2) >> 8), std::uint8_t(thumbnail.size() + 2)};
  withThumbnail.insert(withThumbnail.end(), thumbnail.begin(), thumbnail.end());
  withThumbnail.insert(withThumbnail.end(), whole.begin() + 2, whole.end());
  EXPECT_EQ(Check(withThumbnail).width, 40);
  ExpectWholeOnlyAtFullLength(withThumbnail, "thumbnail");

  // Progressive: three scans, a DHT and a COM holding FF D9 between them.
  Bytes progressive(whole.begin(), whole.begin() + Find(whole, 0xDA));
  progressive[Find(progressive, 0xC0) + 1] = 0xC2;
  const Bytes scanHeader(whole.begin() + Find(whole, 0xDA),
                         whole.begin() + SegmentEnd(whole, Find(whole, 0xDA)));
  const Bytes dht(whole.begin() + Find(whole, 0xC4), whole.begin() + SegmentEnd(whole, Find(whole, 0xC4)));
  const Bytes comment = {0xFF, 0xFE, 0, 6, 0xFF, 0xD9, 0xFF, 0xD8};
  std::size_t from = SegmentEnd(whole, Find(whole, 0xDA));
  for (int scan = 1; scan <= 3; ++scan) {
    std::size_t to = scan == 3 ? whole.size() - 2 : from + (whole.size() - from) / 3;
    while (whole[to - 1] == 0xFF) ++to;  // not between a stuffed 0xFF and its 0x00
    progressive.insert(progressive.end(), scanHeader.begin(), scanHeader.end());
    progressive.insert(progressive.end(), whole.begin() + from, whole.begin() + to);
    const Bytes& between = scan == 1 ? dht : scan == 2 ? comment : Bytes{0xFF, 0xD9};
    progressive.insert(progressive.end(), between.begin(), between.end());
    from = to;
  }
  EXPECT_EQ(Check(progressive).coding, JpegCoding::kProgressiveHuffman);
  ExpectWholeOnlyAtFullLength(progressive, "progressive");
  ExpectWholeOnlyAtFullLength(EncodeLosslessTestFrame(37, 23, 2), "lossless");
}

TEST(CheckJpegFrame, TellsTheCodingFromTheFrameHeader) {
  using C = JpegCoding;
  const std::pair<std::uint8_t, JpegCoding> codings[] = {{0xC0, C::kBaseline},
                                                         {0xC1, C::kExtendedHuffman},
                                                         {0xC2, C::kProgressiveHuffman},
                                                         {0xC3, C::kLosslessHuffman},
                                                         {0xC5, C::kHierarchicalHuffman},
                                                         {0xC6, C::kHierarchicalHuffman},
                                                         {0xC7, C::kHierarchicalHuffman},
                                                         {0xC9, C::kArithmetic},
                                                         {0xCA, C::kArithmetic},
                                                         {0xCB, C::kArithmetic},
                                                         {0xCD, C::kHierarchicalArithmetic},
                                                         {0xCE, C::kHierarchicalArithmetic},
                                                         {0xCF, C::kHierarchicalArithmetic}};
  for (const auto& [sof, coding] : codings) {
    const JpegFrameInfo info = Check(MakeFrame(sof, 16, 16, {0x11}, 64));
    EXPECT_TRUE(info.readable && info.coding == coding && info.frameMarker == sof) << int{sof};
    EXPECT_EQ(EveryMotionJpegPlayerReads(info), sof <= 0xC1) << int{sof};
  }
  for (const std::uint8_t notAFrameHeader : {0xC4, 0xC8, 0xCC})
    EXPECT_FALSE(Check(MakeFrame(notAFrameHeader, 16, 16, {0x11}, 64)).readable);
  // Precision, components, what every player reads.
  const std::tuple<std::uint8_t, int, Bytes, bool> frames[] = {{0xC1, 8, {0x11}, true},
                                                               {0xC0, 8, {0x22, 0x11, 0x11}, true},
                                                               {0xC1, 12, {0x11}, false},
                                                               {0xC0, 8, {0x11, 0x11}, false},
                                                               {0xC0, 8, {0x11, 0x11, 0x11, 0x11}, false}};
  for (const auto& [sof, precision, sampling, everyPlayer] : frames) {
    const JpegFrameInfo info = Check(MakeFrame(sof, 16, 16, sampling, 64, precision));
    EXPECT_TRUE(info.readable && info.precision == precision && info.components == int(sampling.size()));
    EXPECT_EQ(EveryMotionJpegPlayerReads(info), everyPlayer) << precision << " " << sampling.size();
  }
  // A DHP segment makes the frames after it hierarchical, and gives the size.
  Bytes hierarchical = MakeFrame(0xC0, 16, 16, {0x11}, 64);
  hierarchical.insert(hierarchical.begin() + 2, {0xFF, 0xDE, 0, 11, 8, 0, 32, 0, 48, 1, 1, 0x11, 0});
  const JpegFrameInfo info = Check(hierarchical);
  EXPECT_TRUE(info.readable && info.coding == C::kHierarchicalHuffman && info.width == 48 &&
              info.height == 32);
  EXPECT_FALSE(EveryMotionJpegPlayerReads(info));
}

TEST(CheckJpegFrame, RefusesImplausibleHeaders) {
  const Bytes good = MakeFrame(0xC0, 16, 16, {0x11}, 64);
  ASSERT_TRUE(Check(good).readable);
  const std::tuple<std::size_t, std::uint8_t, const char*> changes[] = {{6, 0, "precision 0"},
                                                                        {13, 0x01, "no horizontal sampling"},
                                                                        {13, 0x15, "vertical sampling 5"},
                                                                        {19, 0, "no scan components"},
                                                                        {19, 5, "five scan components"}};
  for (const auto& [at, value, what] : changes) {
    Bytes broken = good;
    broken[at] = value;
    EXPECT_FALSE(Check(broken).readable) << what;
  }
  EXPECT_FALSE(Check(MakeFrame(0xC9, 16, 16, {0x11}, 0)).readable) << "no scan data";
  Bytes twoFrames = good;
  twoFrames.insert(twoFrames.begin() + 2, good.begin() + 2, good.begin() + 15);
  EXPECT_FALSE(Check(twoFrames).readable) << "two frame headers";
  Bytes eoiFirst = good;
  eoiFirst.insert(eoiFirst.begin() + 15, {0xFF, 0xD9});
  EXPECT_FALSE(Check(eoiFirst).readable) << "EOI before the scan";
}

}  // namespace
}  // namespace lumavex::testing
