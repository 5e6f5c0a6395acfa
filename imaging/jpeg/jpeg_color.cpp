#include "imaging/jpeg/jpeg_color.h"

#include "imaging/jpeg/jpeg_simd.h"

namespace lumavex::jpeg {

namespace {

// ITU-R BT.601 weights as used by JFIF, in units of 1/32768. Each row of
// weights sums to exactly 32768 (luma) or 0 (chroma), so white stays 255 and
// greys carry no chroma.
constexpr int kYR = 9798, kYG = 19235, kYB = 3735;
constexpr int kCbR = -5529, kCbG = -10855, kCbB = 16384;
constexpr int kCrR = 16384, kCrG = -13720, kCrB = -2664;

// Weighted sums are in 1/32768, samples in 1/8: shift by 12 with rounding.
constexpr int kShift = 12;
constexpr int kRound = 1 << (kShift - 1);
constexpr int kLevelShift = 128 * 8;
// Keeps the chroma sums positive before the shift, so the scalar code rounds
// exactly like the SIMD arithmetic shift without relying on signed shifts.
// (Sums of four pixels stay above -(1 << 24).)
constexpr int kChromaOffset = 1 << 26;

struct ChannelBytes {
  int red, green, blue;
};

inline ChannelBytes ReadPixel(const std::uint8_t* p, PixelOrder order) {
  if (order == PixelOrder::Bgr) return {p[2], p[1], p[0]};
  return {p[0], p[1], p[2]};
}

inline std::int16_t LumaOf(const ChannelBytes& c) {
  const int sum = kYR * c.red + kYG * c.green + kYB * c.blue;
  return static_cast<std::int16_t>(((sum + kRound) >> kShift) - kLevelShift);
}

inline std::int16_t ChromaOf(int sum) {
  return static_cast<std::int16_t>(((sum + kRound + kChromaOffset) >> kShift) - (kChromaOffset >> kShift));
}

#if LUMAVEX_JPEG_SSE2

// Weights for the (first byte, third byte) and (green, unused) 16-bit pairs
// that the kernel multiplies with _mm_madd_epi16.
struct PairWeights {
  __m128i outer, green;
};

inline PairWeights MakePairWeights(int red, int green, int blue, PixelOrder order) {
  const int first = order == PixelOrder::Bgr ? blue : red;
  const int third = order == PixelOrder::Bgr ? red : blue;
  const int outer =
      static_cast<int>((static_cast<unsigned>(third) << 16) | (static_cast<unsigned>(first) & 0xFFFFu));
  return {_mm_set1_epi32(outer), _mm_set1_epi32(green & 0xFFFF)};
}

// Four 3-byte pixels from p[0..11] into the low three bytes of each 32-bit
// lane. Reads 16 bytes from p.
inline __m128i Gather4(const std::uint8_t* p) {
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i p01 = _mm_unpacklo_epi32(x, _mm_srli_si128(x, 3));
  const __m128i p23 = _mm_unpacklo_epi32(_mm_srli_si128(x, 6), _mm_srli_si128(x, 9));
  return _mm_unpacklo_epi64(p01, p23);
}

struct SplitPixels {
  __m128i outer;  // 16-bit pairs (first byte, third byte)
  __m128i green;  // 16-bit pairs (green, unused byte)
};

inline SplitPixels Split(__m128i px) {
  return {_mm_and_si128(px, _mm_set1_epi32(0x00FF00FF)), _mm_srli_epi16(px, 8)};
}

inline __m128i Weigh(const SplitPixels& s, const PairWeights& w, __m128i bias) {
  const __m128i sum = _mm_add_epi32(_mm_madd_epi16(s.outer, w.outer), _mm_madd_epi16(s.green, w.green));
  return _mm_srai_epi32(_mm_add_epi32(sum, bias), kShift);
}

// The weights and rounding biases of the three conversions for one pixel
// order, set up once per row.
struct Kernel {
  PairWeights y, cb, cr;
  __m128i biasY, biasC;
};

inline Kernel KernelFor(PixelOrder order) {
  return {MakePairWeights(kYR, kYG, kYB, order), MakePairWeights(kCbR, kCbG, kCbB, order),
          MakePairWeights(kCrR, kCrG, kCrB, order), _mm_set1_epi32(kRound - (kLevelShift << kShift)),
          _mm_set1_epi32(kRound)};
}

// Pixels that the 8-pixel kernel can take from a row of `count` without
// reading past its last pixel byte (the kernel reads 28 bytes).
inline int SimdPixels(int count) { return count >= 10 ? ((count - 10) / 8 + 1) * 8 : 0; }

#endif  // LUMAVEX_JPEG_SSE2

}  // namespace

void ConvertRowToYCbCrScalar(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y,
                             std::int16_t* cb, std::int16_t* cr) {
  for (int i = 0; i < count; ++i, pixels += 3) {
    const ChannelBytes c = ReadPixel(pixels, order);
    y[i] = LumaOf(c);
    cb[i] = ChromaOf(kCbR * c.red + kCbG * c.green + kCbB * c.blue);
    cr[i] = ChromaOf(kCrR * c.red + kCrG * c.green + kCrB * c.blue);
  }
}

void ConvertRowToGrayScalar(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y) {
  for (int i = 0; i < count; ++i, pixels += 3) y[i] = LumaOf(ReadPixel(pixels, order));
}

void ConvertRowPairTo420Scalar(const std::uint8_t* top, const std::uint8_t* bottom, int count,
                               PixelOrder order, std::int16_t* yTop, std::int16_t* yBottom, std::int16_t* cb,
                               std::int16_t* cr) {
  for (int x = 0; x < count; x += 2) {
    const int right = x + 1 < count ? x + 1 : x;
    const ChannelBytes square[4] = {ReadPixel(top + 3 * x, order), ReadPixel(top + 3 * right, order),
                                    ReadPixel(bottom + 3 * x, order), ReadPixel(bottom + 3 * right, order)};
    yTop[x] = LumaOf(square[0]);
    yBottom[x] = LumaOf(square[2]);
    if (right != x) {
      yTop[right] = LumaOf(square[1]);
      yBottom[right] = LumaOf(square[3]);
    }
    ChannelBytes sum{0, 0, 0};
    for (const ChannelBytes& c : square) {
      sum.red += c.red;
      sum.green += c.green;
      sum.blue += c.blue;
    }
    cb[x / 2] = ChromaOf(kCbR * sum.red + kCbG * sum.green + kCbB * sum.blue);
    cr[x / 2] = ChromaOf(kCrR * sum.red + kCrG * sum.green + kCrB * sum.blue);
  }
}

void ConvertRowToYCbCr(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y,
                       std::int16_t* cb, std::int16_t* cr) {
  int i = 0;
#if LUMAVEX_JPEG_SSE2
  const Kernel k = KernelFor(order);
  const int simdCount = SimdPixels(count);
  for (; i < simdCount; i += 8) {
    const std::uint8_t* p = pixels + 3 * i;
    const SplitPixels a = Split(Gather4(p));
    const SplitPixels b = Split(Gather4(p + 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(y + i),
                     _mm_packs_epi32(Weigh(a, k.y, k.biasY), Weigh(b, k.y, k.biasY)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cb + i),
                     _mm_packs_epi32(Weigh(a, k.cb, k.biasC), Weigh(b, k.cb, k.biasC)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(cr + i),
                     _mm_packs_epi32(Weigh(a, k.cr, k.biasC), Weigh(b, k.cr, k.biasC)));
  }
#endif
  ConvertRowToYCbCrScalar(pixels + 3 * i, count - i, order, y + i, cb + i, cr + i);
}

void ConvertRowToGray(const std::uint8_t* pixels, int count, PixelOrder order, std::int16_t* y) {
  int i = 0;
#if LUMAVEX_JPEG_SSE2
  const Kernel k = KernelFor(order);
  const int simdCount = SimdPixels(count);
  for (; i < simdCount; i += 8) {
    const std::uint8_t* p = pixels + 3 * i;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(y + i),
                     _mm_packs_epi32(Weigh(Split(Gather4(p)), k.y, k.biasY),
                                     Weigh(Split(Gather4(p + 12)), k.y, k.biasY)));
  }
#endif
  ConvertRowToGrayScalar(pixels + 3 * i, count - i, order, y + i);
}

void ConvertRowPairTo420(const std::uint8_t* top, const std::uint8_t* bottom, int count, PixelOrder order,
                         std::int16_t* yTop, std::int16_t* yBottom, std::int16_t* cb, std::int16_t* cr) {
  int i = 0;
#if LUMAVEX_JPEG_SSE2
  const Kernel k = KernelFor(order);
  const int simdCount = SimdPixels(count);
  for (; i < simdCount; i += 8) {
    const std::uint8_t* p = top + 3 * i;
    const std::uint8_t* q = bottom + 3 * i;
    const SplitPixels a0 = Split(Gather4(p)), a1 = Split(Gather4(p + 12));
    const SplitPixels b0 = Split(Gather4(q)), b1 = Split(Gather4(q + 12));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yTop + i),
                     _mm_packs_epi32(Weigh(a0, k.y, k.biasY), Weigh(a1, k.y, k.biasY)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(yBottom + i),
                     _mm_packs_epi32(Weigh(b0, k.y, k.biasY), Weigh(b1, k.y, k.biasY)));
    // Column sums of each pixel, then sums of neighbouring columns: the
    // 16-bit channel pairs of the four 2x2 squares (at most 4 x 255 each).
    const __m128 outer0 = _mm_castsi128_ps(_mm_add_epi16(a0.outer, b0.outer));
    const __m128 outer1 = _mm_castsi128_ps(_mm_add_epi16(a1.outer, b1.outer));
    const __m128 green0 = _mm_castsi128_ps(_mm_add_epi16(a0.green, b0.green));
    const __m128 green1 = _mm_castsi128_ps(_mm_add_epi16(a1.green, b1.green));
    const SplitPixels squares = {
        _mm_add_epi16(_mm_castps_si128(_mm_shuffle_ps(outer0, outer1, _MM_SHUFFLE(2, 0, 2, 0))),
                      _mm_castps_si128(_mm_shuffle_ps(outer0, outer1, _MM_SHUFFLE(3, 1, 3, 1)))),
        _mm_add_epi16(_mm_castps_si128(_mm_shuffle_ps(green0, green1, _MM_SHUFFLE(2, 0, 2, 0))),
                      _mm_castps_si128(_mm_shuffle_ps(green0, green1, _MM_SHUFFLE(3, 1, 3, 1))))};
    const __m128i chroma = _mm_packs_epi32(Weigh(squares, k.cb, k.biasC), Weigh(squares, k.cr, k.biasC));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(cb + i / 2), chroma);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(cr + i / 2), _mm_srli_si128(chroma, 8));
  }
#endif
  ConvertRowPairTo420Scalar(top + 3 * i, bottom + 3 * i, count - i, order, yTop + i, yBottom + i, cb + i / 2,
                            cr + i / 2);
}

void ReplicateRightEdge(std::int16_t* row, int count, int paddedCount) {
  const std::int16_t last = row[count - 1];
  for (int i = count; i < paddedCount; ++i) row[i] = last;
}

void Downsample2x1(const std::int16_t* row, int outCount, std::int16_t* out) {
#if LUMAVEX_JPEG_SSE2
  const __m128i ones = _mm_set1_epi16(1);
  for (int i = 0; i < outCount; i += 8) {
    const __m128i* a = reinterpret_cast<const __m128i*>(row + 2 * i);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packs_epi32(_mm_madd_epi16(_mm_loadu_si128(a), ones),
                                     _mm_madd_epi16(_mm_loadu_si128(a + 1), ones)));
  }
#else
  for (int i = 0; i < outCount; ++i) out[i] = static_cast<std::int16_t>(row[2 * i] + row[2 * i + 1]);
#endif
}

}  // namespace lumavex::jpeg
