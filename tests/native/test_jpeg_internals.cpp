// The encoder's parts on their own: tables, bit packing, block coding, DCT,
// colour conversion and the output buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <random>
#include <utility>
#include <vector>

#include "imaging/jpeg/jpeg_bit_writer.h"
#include "imaging/jpeg/jpeg_color.h"
#include "imaging/jpeg/jpeg_dct.h"
#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_huffman.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {
namespace {

// Transposed natural index (as the DCT writes it) of zigzag position k.
int transposedIndex(int k) {
  const int natural = kZigzagToNatural[k];
  return (natural % 8) * 8 + natural / 8;
}

TEST(JpegTables, ZigzagVisitsEveryCoefficientAlongTheDiagonals) {
  std::vector<bool> seen(64, false);
  for (int k = 0; k < 64; ++k) seen[kZigzagToNatural[k]] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 64);
  const int start[] = {0, 1, 8, 16, 9, 2, 3, 10, 17, 24};
  for (int k = 0; k < 10; ++k) EXPECT_EQ(kZigzagToNatural[k], start[k]) << k;
  EXPECT_EQ(kZigzagToNatural[63], 63);
}

TEST(JpegTables, QualityScalesTheExampleTables) {
  std::uint8_t table[64];
  ScaleQuantTable(kLuminanceQuant, 50, table);
  EXPECT_TRUE(std::equal(table, table + 64, kLuminanceQuant));
  ScaleQuantTable(kLuminanceQuant, 100, table);
  EXPECT_TRUE(std::all_of(table, table + 64, [](int q) { return q == 1; }));
  ScaleQuantTable(kLuminanceQuant, 1, table);  // 5000%: clamped to 8 bits
  EXPECT_TRUE(std::all_of(table, table + 64, [](int q) { return q == 255; }));
  ScaleQuantTable(kLuminanceQuant, 70, table);  // 60%
  EXPECT_EQ(table[0], 10);                      // (16 * 60 + 50) / 100
  EXPECT_EQ(table[63], 59);                     // (99 * 60 + 50) / 100
  EXPECT_EQ(QualityScale(25), 200);
  EXPECT_EQ(QualityScale(75), 50);
}

TEST(JpegTables, HuffmanCodesAreCanonicalAndPrefixFree) {
  for (const HuffmanSpec* spec :
       {&kDcLuminanceSpec, &kAcLuminanceSpec, &kDcChrominanceSpec, &kAcChrominanceSpec}) {
    const HuffmanCodes codes = BuildHuffmanCodes(*spec);
    std::vector<std::pair<int, int>> used;  // (length, code)
    for (int s = 0; s < 256; ++s) {
      if (codes.length[s] > 0) used.emplace_back(codes.length[s], codes.code[s]);
    }
    ASSERT_EQ(static_cast<int>(used.size()), spec->symbolCount);
    for (const auto& a : used) {
      for (const auto& b : used) {
        if (&a == &b || a.first > b.first) continue;
        // a must not be a prefix of b (nor equal to it).
        EXPECT_NE(b.second >> (b.first - a.first), a.second);
      }
    }
  }
  const HuffmanCodes dc = BuildHuffmanCodes(kDcLuminanceSpec);
  EXPECT_EQ(dc.length[0], 2);
  EXPECT_EQ(dc.code[0], 0b00);
  const HuffmanCodes ac = BuildHuffmanCodes(kAcLuminanceSpec);
  EXPECT_EQ(ac.length[0x00], 4);  // end of block: 1010
  EXPECT_EQ(ac.code[0x00], 0b1010);
  EXPECT_EQ(ac.length[0xF0], 11);  // sixteen zeros: 11111111001
  EXPECT_EQ(ac.code[0xF0], 0b11111111001);
}

TEST(JpegBitPacker, StuffsAfterEveryFFAndPadsWithOnes) {
  unsigned char out[32] = {};
  BitWriterState state;
  BitPacker packer(state, out);
  packer.Put(0xFF, 8);
  packer.Put(0x12, 8);
  packer.Put(0xFFFF, 16);  // completes a 32-bit word with two FF bytes
  packer.Put(0b101, 3);
  packer.FlushToByte();
  const std::vector<unsigned char> expected = {0xFF, 0x00, 0x12, 0xFF, 0x00, 0xFF, 0x00, 0xBF};
  EXPECT_EQ(std::vector<unsigned char>(out, packer.out()), expected);
}

// Decodes one block coded by EncodeBlock, the way a decoder would.
class BlockDecoder {
 public:
  BlockDecoder(const std::vector<unsigned char>& stuffed, const HuffmanCodes& dc, const HuffmanCodes& ac) {
    for (std::size_t i = 0; i < stuffed.size(); ++i) {
      bytes_.push_back(stuffed[i]);
      if (stuffed[i] == 0xFF) {
        EXPECT_LT(i + 1, stuffed.size());
        if (i + 1 < stuffed.size()) {
          EXPECT_EQ(stuffed[++i], 0x00) << "unstuffed FF";
        }
      }
    }
    for (int s = 0; s < 256; ++s) {
      if (dc.length[s] > 0) dc_[{dc.length[s], dc.code[s]}] = s;
      if (ac.length[s] > 0) ac_[{ac.length[s], ac.code[s]}] = s;
    }
  }

  // Coefficients in zigzag order; DC as the absolute value given the
  // previous block's.
  std::vector<int> block(int& previousDc) {
    std::vector<int> zigzag(64, 0);
    const int dcCategory = symbol(dc_);
    previousDc += value(dcCategory);
    zigzag[0] = previousDc;
    for (int k = 1; k < 64;) {
      const int s = symbol(ac_);
      if (s < 0) return {};
      const int run = s >> 4, category = s & 15;
      if (category == 0 && run != 15) break;  // end of block
      k += run;
      if (category == 0) {
        ++k;  // sixteen zeros
        continue;
      }
      if (k >= 64) return {};
      zigzag[k++] = value(category);
    }
    return zigzag;
  }

 private:
  int bit() {
    if (position_ >= bytes_.size() * 8) return 1;
    const int b = (bytes_[position_ / 8] >> (7 - position_ % 8)) & 1;
    ++position_;
    return b;
  }
  int symbol(const std::map<std::pair<int, int>, int>& table) {
    int code = 0;
    for (int length = 1; length <= 16; ++length) {
      code = (code << 1) | bit();
      const auto found = table.find({length, code});
      if (found != table.end()) return found->second;
    }
    return -1;
  }
  int value(int category) {
    int v = 0;
    for (int i = 0; i < category; ++i) v = (v << 1) | bit();
    if (category > 0 && v < (1 << (category - 1))) v -= (1 << category) - 1;
    return v;
  }

  std::vector<unsigned char> bytes_;
  std::size_t position_ = 0;
  std::map<std::pair<int, int>, int> dc_, ac_;
};

TEST(JpegBlockCoding, BlocksRoundTripThroughADecoder) {
  const HuffmanCodes dc = BuildHuffmanCodes(kDcLuminanceSpec);
  const HuffmanCodes ac = BuildHuffmanCodes(kAcLuminanceSpec);
  std::mt19937 random(3);
  std::vector<std::vector<int>> blocks;  // zigzag order
  blocks.push_back(std::vector<int>(64, 0));
  std::vector<int> lastOnly(64, 0);
  lastOnly[0] = -1024;
  lastOnly[63] = 1023;  // 62 zeros before it: three ZRL codes, no end of block
  blocks.push_back(lastOnly);
  std::vector<int> runOfSixteen(64, 0);
  runOfSixteen[0] = 1023;
  runOfSixteen[17] = -1;  // exactly sixteen zeros before it
  runOfSixteen[40] = -1023;
  blocks.push_back(runOfSixteen);
  for (int i = 0; i < 200; ++i) {
    std::vector<int> block(64, 0);
    const int density = 1 + static_cast<int>(random() % 64);
    for (int k = 0; k < 64; ++k) {
      if (static_cast<int>(random() % 64) < density) block[k] = static_cast<int>(random() % 2047) - 1023;
    }
    blocks.push_back(block);
  }

  std::vector<unsigned char> out(blocks.size() * kMaxBlockBytes + 16);
  BitWriterState state;
  unsigned char* cursor = out.data();
  int previousDc = 0;
  for (const auto& zigzag : blocks) {
    std::int16_t coefficients[64];
    for (int k = 0; k < 64; ++k) coefficients[transposedIndex(k)] = static_cast<std::int16_t>(zigzag[k]);
    cursor = EncodeBlock(coefficients, previousDc, dc, ac, state, cursor);
  }
  BitPacker packer(state, cursor);
  packer.FlushToByte();
  out.resize(static_cast<std::size_t>(packer.out() - out.data()));

  BlockDecoder decoder(out, dc, ac);
  int decodedDc = 0;
  for (std::size_t i = 0; i < blocks.size(); ++i) EXPECT_EQ(decoder.block(decodedDc), blocks[i]) << i;
}

TEST(JpegBlockCoding, EmptyBlockIsTheShortestCode) {
  const HuffmanCodes dc = BuildHuffmanCodes(kDcLuminanceSpec);
  const HuffmanCodes ac = BuildHuffmanCodes(kAcLuminanceSpec);
  std::int16_t zero[64] = {};
  unsigned char out[kMaxBlockBytes];
  BitWriterState state;
  int previousDc = 0;
  BitPacker packer(state, EncodeBlock(zero, previousDc, dc, ac, state, out));
  packer.FlushToByte();
  ASSERT_EQ(packer.out() - out, 1);
  EXPECT_EQ(out[0], 0b00101011);  // DC category 0, end of block, two pad bits
}

// The DCT straight from its definition, for checking the fast one.
double referenceCoefficient(const std::int16_t* samples, int u, int v) {
  const double pi = 3.14159265358979323846;
  double sum = 0;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      sum += samples[y * 8 + x] * std::cos((2 * x + 1) * u * pi / 16) * std::cos((2 * y + 1) * v * pi / 16);
    }
  }
  const double cu = u == 0 ? 1 / std::sqrt(2.0) : 1, cv = v == 0 ? 1 / std::sqrt(2.0) : 1;
  return 0.25 * cu * cv * sum;
}

TEST(JpegDct, MatchesTheDefinitionAndTheScalarVersion) {
  std::mt19937 random(11);
  std::uint8_t quant[64];
  for (int i = 0; i < 64; ++i) quant[i] = static_cast<std::uint8_t>(1 + i % 7);
  const QuantDivisors divisors = MakeQuantDivisors(quant, 8.0f);
  for (int trial = 0; trial < 200; ++trial) {
    std::int16_t samples[64];  // eighths, like the colour converter's output
    const bool smooth = trial % 2 == 0;
    for (int i = 0; i < 64; ++i) {
      const int x = i % 8, y = i / 8;
      const int level = smooth ? (x * 20 + y * 9 + trial) % 256 : static_cast<int>(random() % 256);
      samples[i] = static_cast<std::int16_t>((level - 128) * 8 + static_cast<int>(random() % 8));
    }
    std::int16_t fast[64], scalar[64];
    ForwardDctQuantize(samples, 8, divisors, fast);
    ForwardDctQuantizeScalar(samples, 8, divisors, scalar);
    for (int u = 0; u < 8; ++u) {
      for (int v = 0; v < 8; ++v) {
        const double expected = referenceCoefficient(samples, u, v) / 8.0 / quant[v * 8 + u];
        EXPECT_NEAR(fast[u * 8 + v], expected, 0.51) << "u " << u << " v " << v;
        EXPECT_EQ(fast[u * 8 + v], scalar[u * 8 + v]);
      }
    }
  }
}

TEST(JpegDct, CoefficientsStayWithinBaselineRange) {
  std::uint8_t ones[64];
  std::fill(ones, ones + 64, 1);
  const QuantDivisors divisors = MakeQuantDivisors(ones, 8.0f);
  std::int16_t black[64], checker[64], out[64];
  for (int i = 0; i < 64; ++i) {
    black[i] = -1024;
    checker[i] = ((i % 8) + (i / 8)) % 2 ? 1016 : -1024;
  }
  ForwardDctQuantize(black, 8, divisors, out);
  EXPECT_EQ(out[0], -1024);
  ForwardDctQuantize(checker, 8, divisors, out);
  for (std::int16_t c : out) {
    EXPECT_GE(c, -1024);
    EXPECT_LE(c, 1023);
  }
}

TEST(JpegColour, KnownColoursInEighths) {
  const std::uint8_t pixels[] = {255, 255, 255, 0, 0, 0, 0, 0, 255};  // BGR: white, black, red
  std::int16_t y[3], cb[3], cr[3];
  ConvertRowToYCbCr(pixels, 3, PixelOrder::Bgr, y, cb, cr);
  EXPECT_EQ(y[0], 255 * 8 - 1024);
  EXPECT_EQ(cb[0], 0);
  EXPECT_EQ(cr[0], 0);
  EXPECT_EQ(y[1], -1024);
  EXPECT_EQ(y[2], static_cast<int>(std::lround(0.299 * 255 * 8)) - 1024);
  EXPECT_NEAR(cb[2], -0.168736 * 255 * 8, 1);
  EXPECT_NEAR(cr[2], 0.5 * 255 * 8, 1);
}

TEST(JpegColour, SimdRowsEqualScalarRowsAtEveryLength) {
  std::mt19937 random(5);
  for (PixelOrder order : {PixelOrder::Bgr, PixelOrder::Rgb}) {
    for (int count = 1; count <= 40; ++count) {
      std::vector<std::uint8_t> pixels(3 * count);
      for (auto& b : pixels) b = static_cast<std::uint8_t>(random());
      std::vector<std::int16_t> y(count), cb(count), cr(count), y2(count), cb2(count), cr2(count), g(count);
      ConvertRowToYCbCr(pixels.data(), count, order, y.data(), cb.data(), cr.data());
      ConvertRowToYCbCrScalar(pixels.data(), count, order, y2.data(), cb2.data(), cr2.data());
      ConvertRowToGray(pixels.data(), count, order, g.data());
      EXPECT_EQ(y, y2) << count;
      EXPECT_EQ(cb, cb2) << count;
      EXPECT_EQ(cr, cr2) << count;
      EXPECT_EQ(g, y2) << count;

      std::vector<std::uint8_t> below(3 * count);
      for (auto& b : below) b = static_cast<std::uint8_t>(random());
      const int half = (count + 1) / 2;
      std::vector<std::int16_t> yTop(count), yBottom(count), cbPair(half), crPair(half);
      std::vector<std::int16_t> yTop2(count), yBottom2(count), cbPair2(half), crPair2(half);
      ConvertRowPairTo420(pixels.data(), below.data(), count, order, yTop.data(), yBottom.data(),
                          cbPair.data(), crPair.data());
      ConvertRowPairTo420Scalar(pixels.data(), below.data(), count, order, yTop2.data(), yBottom2.data(),
                                cbPair2.data(), crPair2.data());
      EXPECT_EQ(yTop, y2) << count;
      EXPECT_EQ(yTop, yTop2) << count;
      EXPECT_EQ(yBottom, yBottom2) << count;
      EXPECT_EQ(cbPair, cbPair2) << count;
      EXPECT_EQ(crPair, crPair2) << count;
    }
  }
}

// 4:2:0 chroma is the sum over each 2x2 square; an odd last column counts
// twice.
TEST(JpegColour, ChromaOf420SumsEachSquare) {
  std::mt19937 random(8);
  const int count = 27;
  std::vector<std::uint8_t> top(3 * count), bottom(3 * count);
  for (auto& b : top) b = static_cast<std::uint8_t>(random());
  for (auto& b : bottom) b = static_cast<std::uint8_t>(random());
  std::vector<std::int16_t> y(count), cbTop(count), crTop(count), cbBottom(count), crBottom(count);
  ConvertRowToYCbCr(top.data(), count, PixelOrder::Bgr, y.data(), cbTop.data(), crTop.data());
  ConvertRowToYCbCr(bottom.data(), count, PixelOrder::Bgr, y.data(), cbBottom.data(), crBottom.data());
  std::vector<std::int16_t> yTop(count), yBottom(count), cb(14), cr(14);
  ConvertRowPairTo420(top.data(), bottom.data(), count, PixelOrder::Bgr, yTop.data(), yBottom.data(),
                      cb.data(), cr.data());
  for (int j = 0; j < 14; ++j) {
    const int right = std::min(2 * j + 1, count - 1);
    const int cbSum = cbTop[2 * j] + cbTop[right] + cbBottom[2 * j] + cbBottom[right];
    const int crSum = crTop[2 * j] + crTop[right] + crBottom[2 * j] + crBottom[right];
    EXPECT_NEAR(cb[j], cbSum, 2) << j;  // four roundings against one
    EXPECT_NEAR(cr[j], crSum, 2) << j;
  }
}

TEST(JpegColour, DownsamplingSumsNeighbours) {
  std::vector<std::int16_t> row0(32), out(16);
  for (int i = 0; i < 32; ++i) row0[i] = static_cast<std::int16_t>(i * 30 - 1000);
  Downsample2x1(row0.data(), 16, out.data());
  for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], row0[2 * i] + row0[2 * i + 1]);
  std::int16_t edge[8] = {5, 9, 0, 0, 0, 0, 0, 0};
  ReplicateRightEdge(edge, 2, 8);
  EXPECT_EQ(edge[7], 9);
}

struct Collector {
  std::vector<unsigned char> bytes;
  int calls = 0;
  bool refuse = false;
  static bool take(void* context, const unsigned char* data, std::size_t size) {
    auto* self = static_cast<Collector*>(context);
    ++self->calls;
    if (self->refuse) return false;
    self->bytes.insert(self->bytes.end(), data, data + size);
    return true;
  }
};

TEST(JpegOutput, LargeOutputGoesToTheSinkInPiecesAndFailuresStopTheEncoder) {
  const int width = 300, height = 200;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
  std::mt19937 random(9);
  for (auto& b : pixels) b = static_cast<std::uint8_t>(random());  // noise: a big file
  SourceImage image;
  image.pixels = pixels.data();
  image.width = width;
  image.height = height;
  image.rowBytes = 3 * width;
  EncodeSettings settings;
  settings.quality = 95;

  JpegOutputBuffer whole;
  ASSERT_EQ(EncodeJpeg(image, settings, whole), EncodeResult::Ok);

  Collector collector;
  JpegOutputBuffer pieces;
  pieces.SetSink(&Collector::take, &collector, 8192);
  ASSERT_EQ(EncodeJpeg(image, settings, pieces), EncodeResult::Ok);
  ASSERT_TRUE(pieces.DrainToSink());
  EXPECT_GT(collector.calls, 2);
  EXPECT_EQ(collector.bytes, std::vector<unsigned char>(whole.data(), whole.data() + whole.size()));

  Collector refusing;
  refusing.refuse = true;
  JpegOutputBuffer failing;
  failing.SetSink(&Collector::take, &refusing, 8192);
  EXPECT_EQ(EncodeJpeg(image, settings, failing), EncodeResult::OutputFailed);
  EXPECT_EQ(refusing.calls, 1);
}

TEST(JpegEncoder, RefusesWhatItCannotRead) {
  std::uint8_t pixel[3] = {};
  SourceImage image;
  image.pixels = pixel;
  image.width = 1;
  image.height = 1;
  image.rowBytes = 2;  // shorter than one pixel
  JpegOutputBuffer out;
  EXPECT_EQ(EncodeJpeg(image, EncodeSettings{}, out), EncodeResult::InvalidArgument);
  image.rowBytes = 3;
  EncodeSettings settings;
  settings.quality = 0;
  EXPECT_EQ(EncodeJpeg(image, settings, out), EncodeResult::InvalidArgument);
  EXPECT_EQ(out.size(), 0u);
}

}  // namespace
}  // namespace lumavex::jpeg
