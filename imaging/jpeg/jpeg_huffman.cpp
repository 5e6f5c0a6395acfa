#include "imaging/jpeg/jpeg_huffman.h"

#include <array>

#include "imaging/jpeg/jpeg_simd.h"

namespace lumavex::jpeg {

namespace {

// Zigzag position k -> index in the transposed natural order of the DCT.
constexpr std::array<std::uint8_t, 64> makeTransposedZigzag() {
  std::array<std::uint8_t, 64> order{};
  for (int k = 0; k < 64; ++k) {
    const int natural = kZigzagToNatural[k];
    order[k] = static_cast<std::uint8_t>((natural % 8) * 8 + natural / 8);
  }
  return order;
}

constexpr std::array<std::uint8_t, 64> kZigzagToTransposed = makeTransposedZigzag();

// Bit k set when zigzag coefficient k is not zero.
inline std::uint64_t nonZeroMask(const std::int16_t* zigzag) {
#if LUMAVEX_JPEG_SSE2
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t zeroBits = 0;
  for (int part = 0; part < 4; ++part) {
    const __m128i* p = reinterpret_cast<const __m128i*>(zigzag + part * 16);
    const __m128i a = _mm_cmpeq_epi16(_mm_load_si128(p), zero);
    const __m128i b = _mm_cmpeq_epi16(_mm_load_si128(p + 1), zero);
    const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(a, b)));
    zeroBits |= static_cast<std::uint64_t>(bits) << (part * 16);
  }
  return ~zeroBits;
#else
  std::uint64_t mask = 0;
  for (int k = 0; k < 64; ++k) {
    if (zigzag[k] != 0) mask |= std::uint64_t{1} << k;
  }
  return mask;
#endif
}

inline int lowestSetBit(std::uint64_t mask) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_ctzll(mask);
#else
  int index = 0;
  while ((mask & 1u) == 0) {
    mask >>= 1;
    ++index;
  }
  return index;
#endif
}

// The category and the value bits that follow the code: the value itself
// when positive, its ones' complement when negative, in `category` bits.
struct CodedValue {
  int category;
  std::uint32_t bits;
};

inline CodedValue codeValue(int value) {
  const unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
  const int category = magnitudeCategory(magnitude);
  const unsigned raw = static_cast<unsigned>(value < 0 ? value - 1 : value);
  return {category, raw & ((1u << category) - 1u)};
}

}  // namespace

unsigned char* encodeBlock(const std::int16_t coefficients[64], int& previousDc,
                           const HuffmanCodes& dcCodes, const HuffmanCodes& acCodes,
                           BitWriterState& state, unsigned char* out) {
  alignas(16) std::int16_t zigzag[64];
  for (int k = 0; k < 64; ++k) zigzag[k] = coefficients[kZigzagToTransposed[k]];

  BitPacker packer(state, out);

  const int dc = zigzag[0];
  const CodedValue dcValue = codeValue(dc - previousDc);
  previousDc = dc;
  packer.put((static_cast<std::uint32_t>(dcCodes.code[dcValue.category]) << dcValue.category) |
                 dcValue.bits,
             dcCodes.length[dcValue.category] + dcValue.category);

  std::uint64_t remaining = nonZeroMask(zigzag) & ~std::uint64_t{1};
  int last = 0;
  while (remaining != 0) {
    const int k = lowestSetBit(remaining);
    remaining &= remaining - 1;
    int run = k - last - 1;
    last = k;
    while (run >= 16) {  // ZRL: sixteen zeros
      packer.put(acCodes.code[0xF0], acCodes.length[0xF0]);
      run -= 16;
    }
    const CodedValue ac = codeValue(zigzag[k]);
    const int symbol = (run << 4) | ac.category;
    packer.put((static_cast<std::uint32_t>(acCodes.code[symbol]) << ac.category) | ac.bits,
               acCodes.length[symbol] + ac.category);
  }
  if (last != 63) packer.put(acCodes.code[0x00], acCodes.length[0x00]);  // end of block

  packer.save(state);
  return packer.out();
}

}  // namespace lumavex::jpeg
