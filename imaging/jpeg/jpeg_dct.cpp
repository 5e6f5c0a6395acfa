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
inline void AanForward(T* d) {
  const T t0 = Ops::Add(d[0], d[7]), t7 = Ops::Sub(d[0], d[7]);
  const T t1 = Ops::Add(d[1], d[6]), t6 = Ops::Sub(d[1], d[6]);
  const T t2 = Ops::Add(d[2], d[5]), t5 = Ops::Sub(d[2], d[5]);
  const T t3 = Ops::Add(d[3], d[4]), t4 = Ops::Sub(d[3], d[4]);

  // Even half.
  const T e10 = Ops::Add(t0, t3), e13 = Ops::Sub(t0, t3);
  const T e11 = Ops::Add(t1, t2), e12 = Ops::Sub(t1, t2);
  d[0] = Ops::Add(e10, e11);
  d[4] = Ops::Sub(e10, e11);
  const T z1 = Ops::Mul(Ops::Add(e12, e13), Ops::Constant(kC4));
  d[2] = Ops::Add(e13, z1);
  d[6] = Ops::Sub(e13, z1);

  // Odd half.
  const T o10 = Ops::Add(t4, t5), o11 = Ops::Add(t5, t6), o12 = Ops::Add(t6, t7);
  const T z5 = Ops::Mul(Ops::Sub(o10, o12), Ops::Constant(kC6));
  const T z2 = Ops::Add(Ops::Mul(o10, Ops::Constant(kC2mC6)), z5);
  const T z4 = Ops::Add(Ops::Mul(o12, Ops::Constant(kC2pC6)), z5);
  const T z3 = Ops::Mul(o11, Ops::Constant(kC4));
  const T z11 = Ops::Add(t7, z3), z13 = Ops::Sub(t7, z3);
  d[5] = Ops::Add(z13, z2);
  d[3] = Ops::Sub(z13, z2);
  d[1] = Ops::Add(z11, z4);
  d[7] = Ops::Sub(z11, z4);
}

struct ScalarOps {
  static float Add(float a, float b) { return a + b; }
  static float Sub(float a, float b) { return a - b; }
  static float Mul(float a, float b) { return a * b; }
  static float Constant(float c) { return c; }
};

inline std::int16_t ClampCoefficient(long value) {
  if (value < kMinCoefficient) value = kMinCoefficient;
  if (value > kMaxCoefficient) value = kMaxCoefficient;
  return static_cast<std::int16_t>(value);
}

#if LUMAVEX_JPEG_SSE2

struct VectorOps {
  static __m128 Add(__m128 a, __m128 b) { return _mm_add_ps(a, b); }
  static __m128 Sub(__m128 a, __m128 b) { return _mm_sub_ps(a, b); }
  static __m128 Mul(__m128 a, __m128 b) { return _mm_mul_ps(a, b); }
  static __m128 Constant(float c) { return _mm_set1_ps(c); }
};

inline void Transpose4(const __m128* in, __m128* out) {
  __m128 r0 = in[0], r1 = in[1], r2 = in[2], r3 = in[3];
  _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
  out[0] = r0;
  out[1] = r1;
  out[2] = r2;
  out[3] = r3;
}

inline __m128i QuantizeRow(__m128 low, __m128 high, const float* factor) {
  const __m128i a = _mm_cvtps_epi32(_mm_mul_ps(low, _mm_load_ps(factor)));
  const __m128i b = _mm_cvtps_epi32(_mm_mul_ps(high, _mm_load_ps(factor + 4)));
  const __m128i packed = _mm_packs_epi32(a, b);
  return _mm_min_epi16(_mm_max_epi16(packed, _mm_set1_epi16(kMinCoefficient)),
                       _mm_set1_epi16(kMaxCoefficient));
}

#endif  // LUMAVEX_JPEG_SSE2

}  // namespace

QuantDivisors MakeQuantDivisors(const std::uint8_t quantNatural[64], float sampleScale) {
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

void ForwardDctQuantizeScalar(const std::int16_t* samples, std::ptrdiff_t stride,
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
    AanForward<float, ScalarOps>(line);
    for (int row = 0; row < 8; ++row) block[row][column] = line[row];
  }
  // Horizontal pass; block[v][u] then holds the coefficient.
  for (int v = 0; v < 8; ++v) AanForward<float, ScalarOps>(block[v]);
  for (int u = 0; u < 8; ++u) {
    for (int v = 0; v < 8; ++v) {
      const float scaled = block[v][u] * divisors.factor[u * 8 + v];
      out[u * 8 + v] = ClampCoefficient(std::lrint(scaled));
    }
  }
}

void ForwardDctQuantize(const std::int16_t* samples, std::ptrdiff_t stride, const QuantDivisors& divisors,
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
  AanForward<__m128, VectorOps>(low);
  AanForward<__m128, VectorOps>(high);
  // low[v] / high[v] now hold vertical frequency v. Transpose so that each
  // vector holds one column: columnsLow[x] = frequencies 0..3 of column x.
  __m128 columnsLow[8], columnsHigh[8];
  Transpose4(low, columnsLow);
  Transpose4(high, columnsLow + 4);
  Transpose4(low + 4, columnsHigh);
  Transpose4(high + 4, columnsHigh + 4);
  // Horizontal pass over the columns: index u, lanes v.
  AanForward<__m128, VectorOps>(columnsLow);
  AanForward<__m128, VectorOps>(columnsHigh);
  for (int u = 0; u < 8; ++u) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + u * 8),
                     QuantizeRow(columnsLow[u], columnsHigh[u], divisors.factor + u * 8));
  }
#else
  ForwardDctQuantizeScalar(samples, stride, divisors, out);
#endif
}

}  // namespace lumavex::jpeg
