#include "imaging/jpeg/jpeg_dct.h"

#include <cmath>

#include "imaging/jpeg/jpeg_simd.h"

namespace lumavex::jpeg {

namespace {

constexpr float kC4 = 0.707106781f;     // cos(4 pi / 16)
constexpr float kC6 = 0.382683433f;     // cos(6 pi / 16)
constexpr float kC2mC6 = 0.541196100f;  // cos(2 pi / 16) - cos(6 pi / 16)
constexpr float kC2pC6 = 1.306562965f;  // cos(2 pi / 16) + cos(6 pi / 16)

// Samples enter the transform multiplied by 65536: the SIMD code widens
// 16-bit samples to 32 bits by placing them in the upper half, which skips a
// shift per vector. The factor is exact in floating point and taken out with
// the quantiser step.
constexpr float kInputScale = 65536.0f;

constexpr int kMinCoefficient = -1024;
constexpr int kMaxCoefficient = 1023;

// One 8-point AAN pass; works on floats or on SSE vectors of four columns.
template <typename T, typename Ops>
inline void aanForward(T* d) {
  const T t0 = Ops::add(d[0], d[7]), t7 = Ops::sub(d[0], d[7]);
  const T t1 = Ops::add(d[1], d[6]), t6 = Ops::sub(d[1], d[6]);
  const T t2 = Ops::add(d[2], d[5]), t5 = Ops::sub(d[2], d[5]);
  const T t3 = Ops::add(d[3], d[4]), t4 = Ops::sub(d[3], d[4]);

  // Even half.
  const T e10 = Ops::add(t0, t3), e13 = Ops::sub(t0, t3);
  const T e11 = Ops::add(t1, t2), e12 = Ops::sub(t1, t2);
  d[0] = Ops::add(e10, e11);
  d[4] = Ops::sub(e10, e11);
  const T z1 = Ops::mul(Ops::add(e12, e13), Ops::constant(kC4));
  d[2] = Ops::add(e13, z1);
  d[6] = Ops::sub(e13, z1);

  // Odd half.
  const T o10 = Ops::add(t4, t5), o11 = Ops::add(t5, t6), o12 = Ops::add(t6, t7);
  const T z5 = Ops::mul(Ops::sub(o10, o12), Ops::constant(kC6));
  const T z2 = Ops::add(Ops::mul(o10, Ops::constant(kC2mC6)), z5);
  const T z4 = Ops::add(Ops::mul(o12, Ops::constant(kC2pC6)), z5);
  const T z3 = Ops::mul(o11, Ops::constant(kC4));
  const T z11 = Ops::add(t7, z3), z13 = Ops::sub(t7, z3);
  d[5] = Ops::add(z13, z2);
  d[3] = Ops::sub(z13, z2);
  d[1] = Ops::add(z11, z4);
  d[7] = Ops::sub(z11, z4);
}

struct ScalarOps {
  static float add(float a, float b) { return a + b; }
  static float sub(float a, float b) { return a - b; }
  static float mul(float a, float b) { return a * b; }
  static float constant(float c) { return c; }
};

inline std::int16_t clampCoefficient(long value) {
  if (value < kMinCoefficient) value = kMinCoefficient;
  if (value > kMaxCoefficient) value = kMaxCoefficient;
  return static_cast<std::int16_t>(value);
}

#if LUMAVEX_JPEG_SSE2

struct VectorOps {
  static __m128 add(__m128 a, __m128 b) { return _mm_add_ps(a, b); }
  static __m128 sub(__m128 a, __m128 b) { return _mm_sub_ps(a, b); }
  static __m128 mul(__m128 a, __m128 b) { return _mm_mul_ps(a, b); }
  static __m128 constant(float c) { return _mm_set1_ps(c); }
};

inline void transpose4(const __m128* in, __m128* out) {
  __m128 r0 = in[0], r1 = in[1], r2 = in[2], r3 = in[3];
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  out[0] = r0;
  out[1] = r1;
  out[2] = r2;
  out[3] = r3;
}

inline __m128i quantizeRow(__m128 low, __m128 high, const float* factor) {
  const __m128i a = _mm_cvtps_epi32(_mm_mul_ps(low, _mm_load_ps(factor)));
  const __m128i b = _mm_cvtps_epi32(_mm_mul_ps(high, _mm_load_ps(factor + 4)));
  const __m128i packed = _mm_packs_epi32(a, b);
  return _mm_min_epi16(_mm_max_epi16(packed, _mm_set1_epi16(kMinCoefficient)),
                       _mm_set1_epi16(kMaxCoefficient));
}

#endif  // LUMAVEX_JPEG_SSE2

}  // namespace

QuantDivisors makeQuantDivisors(const std::uint8_t quantNatural[64], float sampleScale) {
  // Per dimension the AAN output of frequency k is the JPEG-normalised
  // coefficient times aan(k) * 2 * sqrt(2), so a 2-D coefficient carries
  // aan(u) * aan(v) * 8 on top of it.
  double aan[8];
  aan[0] = 1.0;
  for (int k = 1; k < 8; ++k) aan[k] = std::cos(k * 3.14159265358979323846 / 16.0) * std::sqrt(2.0);
  QuantDivisors divisors{};
  for (int u = 0; u < 8; ++u) {
    for (int v = 0; v < 8; ++v) {
      const double step = quantNatural[v * 8 + u] * aan[u] * aan[v] * 8.0 * sampleScale * kInputScale;
      divisors.factor[u * 8 + v] = static_cast<float>(1.0 / step);
    }
  }
  return divisors;
}

void forwardDctQuantizeScalar(const std::int16_t* samples, std::ptrdiff_t stride,
                              const QuantDivisors& divisors, std::int16_t out[64]) {
  float block[8][8];  // [row][column]
  for (int row = 0; row < 8; ++row) {
    for (int column = 0; column < 8; ++column) {
      block[row][column] = samples[row * stride + column] * kInputScale;
    }
  }
  float line[8];
  // Vertical pass, one column at a time, like the vector code.
  for (int column = 0; column < 8; ++column) {
    for (int row = 0; row < 8; ++row) line[row] = block[row][column];
    aanForward<float, ScalarOps>(line);
    for (int row = 0; row < 8; ++row) block[row][column] = line[row];
  }
  // Horizontal pass; block[v][u] then holds the coefficient.
  for (int v = 0; v < 8; ++v) aanForward<float, ScalarOps>(block[v]);
  for (int u = 0; u < 8; ++u) {
    for (int v = 0; v < 8; ++v) {
      const float scaled = block[v][u] * divisors.factor[u * 8 + v];
      out[u * 8 + v] = clampCoefficient(std::lrint(scaled));
    }
  }
}

void forwardDctQuantize(const std::int16_t* samples, std::ptrdiff_t stride, const QuantDivisors& divisors,
                        std::int16_t out[64]) {
#if LUMAVEX_JPEG_SSE2
  // low[r] holds columns 0..3 of row r, high[r] columns 4..7, each sample
  // times kInputScale.
  __m128 low[8], high[8];
  const __m128i zero = _mm_setzero_si128();
  for (int row = 0; row < 8; ++row) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + row * stride));
    low[row] = _mm_cvtepi32_ps(_mm_unpacklo_epi16(zero, s));
    high[row] = _mm_cvtepi32_ps(_mm_unpackhi_epi16(zero, s));
  }
  // Vertical pass: lanes are columns, so no shuffling is needed.
  aanForward<__m128, VectorOps>(low);
  aanForward<__m128, VectorOps>(high);
  // low[v] / high[v] now hold vertical frequency v. Transpose so that each
  // vector holds one column: columnsLow[x] = frequencies 0..3 of column x.
  __m128 columnsLow[8], columnsHigh[8];
  transpose4(low, columnsLow);
  transpose4(high, columnsLow + 4);
  transpose4(low + 4, columnsHigh);
  transpose4(high + 4, columnsHigh + 4);
  // Horizontal pass over the columns: index u, lanes v.
  aanForward<__m128, VectorOps>(columnsLow);
  aanForward<__m128, VectorOps>(columnsHigh);
  for (int u = 0; u < 8; ++u) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + u * 8),
                     quantizeRow(columnsLow[u], columnsHigh[u], divisors.factor + u * 8));
  }
#else
  forwardDctQuantizeScalar(samples, stride, divisors, out);
#endif
}

}  // namespace lumavex::jpeg
