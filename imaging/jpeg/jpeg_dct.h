#pragma once
// Forward DCT of 8x8 blocks with the quantisation folded in.
//
// The transform is the Arai-Agui-Nakajima factorisation in single precision:
// its output is the true DCT scaled per coefficient, and the scale is taken
// out together with the quantiser step in one multiplication per
// coefficient. Results are rounded to the nearest integer and kept within
// -1024..1023, the range baseline Huffman coding can express.
//
// Coefficients come out in transposed natural order: index u * 8 + v holds
// horizontal frequency u and vertical frequency v (natural order is v * 8 + u).
// The entropy coder reads them through a matching zigzag table, which spares
// the transform a second transposition.
#include <cstddef>
#include <cstdint>

namespace lumavex::jpeg {

struct QuantDivisors {
  alignas(16) float factor[64];  // transposed natural order
};

// Factors for a quantisation table (natural order, as written in DQT) and
// samples scaled by `sampleScale` (8 for eighths, 32 for 2x2 sums of eighths).
QuantDivisors MakeQuantDivisors(const std::uint8_t quantNatural[64], float sampleScale);

// Transforms the block whose first row starts at `samples`, rows `stride`
// samples apart, and writes 64 quantised coefficients to `out`.
void ForwardDctQuantize(const std::int16_t* samples, std::ptrdiff_t stride, const QuantDivisors& divisors,
                        std::int16_t out[64]);

// Plain C++ version of the same arithmetic, used where SSE2 is missing.
void ForwardDctQuantizeScalar(const std::int16_t* samples, std::ptrdiff_t stride,
                              const QuantDivisors& divisors, std::int16_t out[64]);

}  // namespace lumavex::jpeg
