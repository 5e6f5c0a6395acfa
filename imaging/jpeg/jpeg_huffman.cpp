#include "imaging/jpeg/jpeg_huffman.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imaging/jpeg/jpeg_simd.h"

namespace lumavex::jpeg {

namespace {

// Zigzag position k -> index in the transposed natural order of the DCT.
constexpr std::array<std::uint8_t, 64> MakeTransposedZigzag() {
  std::array<std::uint8_t, 64> order{};
  for (int k = 0; k < 64; ++k) {
    const int natural = kZigzagToNatural[k];
    order[k] = static_cast<std::uint8_t>((natural % 8) * 8 + natural / 8);
  }
  return order;
}

constexpr std::array<std::uint8_t, 64> kZigzagToTransposed = MakeTransposedZigzag();

// Moving the coefficients into zigzag order would cost 64 loads and stores
// per block. Only the positions of the non-zero ones are needed in that
// order, so their bit mask is permuted instead, a byte at a time:
// kMaskToZigzag[b][m] holds, for bits m of transposed indices 8b..8b+7, the
// same coefficients' bits at their zigzag positions.
using MaskTable = std::array<std::array<std::uint64_t, 256>, 8>;

constexpr MaskTable MakeMaskToZigzag() {
  std::array<int, 64> zigzagOf{};
  for (int k = 0; k < 64; ++k) zigzagOf[kZigzagToTransposed[k]] = k;
  MaskTable table{};
  for (int part = 0; part < 8; ++part) {
    for (int bits = 0; bits < 256; ++bits) {
      std::uint64_t mask = 0;
      for (int i = 0; i < 8; ++i) {
        if ((bits >> i) & 1) mask |= std::uint64_t{1} << zigzagOf[part * 8 + i];
      }
      table[part][bits] = mask;
    }
  }
  return table;
}

constexpr MaskTable kMaskToZigzag = MakeMaskToZigzag();

// Bit t set when coefficient t (transposed natural order) is not zero.
inline std::uint64_t NonZeroMask(const std::int16_t* coefficients) {
#if LUMAVEX_JPEG_SSE2
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t zeroBits = 0;
  for (int part = 0; part < 4; ++part) {
    const __m128i* p = reinterpret_cast<const __m128i*>(coefficients + part * 16);
    const __m128i a = _mm_cmpeq_epi16(_mm_loadu_si128(p), zero);
    const __m128i b = _mm_cmpeq_epi16(_mm_loadu_si128(p + 1), zero);
    const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(a, b)));
    zeroBits |= static_cast<std::uint64_t>(bits) << (part * 16);
  }
  return ~zeroBits;
#else
  std::uint64_t mask = 0;
  for (int t = 0; t < 64; ++t) {
    if (coefficients[t] != 0) mask |= std::uint64_t{1} << t;
  }
  return mask;
#endif
}

inline std::uint64_t ToZigzagMask(std::uint64_t transposed) {
  std::uint64_t mask = 0;
  for (int part = 0; part < 8; ++part) mask |= kMaskToZigzag[part][(transposed >> (8 * part)) & 0xFF];
  return mask;
}

inline int LowestSetBit(std::uint64_t mask) {
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

inline CodedValue CodeValue(int value) {
  const unsigned magnitude = static_cast<unsigned>(value < 0 ? -value : value);
  const int category = MagnitudeCategory(magnitude);
  const unsigned raw = static_cast<unsigned>(value < 0 ? value - 1 : value);
  return {category, raw & ((1u << category) - 1u)};
}

// Walks one block in coding order and hands each symbol, with the value bits
// that follow it, to `sink`: the DC category, then the AC run/category
// symbols, sixteen-zero runs (0xF0) and the end of block (0x00).
template <typename Sink>
inline void WalkBlock(const std::int16_t coefficients[64], int& previousDc, Sink& sink) {
  const int dc = coefficients[0];
  const CodedValue dcValue = CodeValue(dc - previousDc);
  previousDc = dc;
  sink.Dc(dcValue);

  std::uint64_t remaining = ToZigzagMask(NonZeroMask(coefficients)) & ~std::uint64_t{1};
  int last = 0;
  while (remaining != 0) {
    const int k = LowestSetBit(remaining);
    remaining &= remaining - 1;
    int run = k - last - 1;
    last = k;
    while (run >= 16) {
      sink.Ac(0xF0, CodedValue{0, 0});
      run -= 16;
    }
    const CodedValue ac = CodeValue(coefficients[kZigzagToTransposed[k]]);
    sink.Ac((run << 4) | ac.category, ac);
  }
  if (last != 63) sink.Ac(0x00, CodedValue{0, 0});
}

class PackingSink {
 public:
  PackingSink(const HuffmanCodes& dc, const HuffmanCodes& ac, BitPacker& packer)
      : dc_(dc), ac_(ac), packer_(packer) {}
  void Dc(CodedValue value) { Put(dc_, value.category, value); }
  void Ac(int symbol, CodedValue value) { Put(ac_, symbol, value); }

 private:
  void Put(const HuffmanCodes& codes, int symbol, CodedValue value) {
    packer_.Put((static_cast<std::uint32_t>(codes.code[symbol]) << value.category) | value.bits,
                codes.length[symbol] + value.category);
  }
  const HuffmanCodes& dc_;
  const HuffmanCodes& ac_;
  BitPacker& packer_;
};

class CountingSink {
 public:
  CountingSink(SymbolCounts& dc, SymbolCounts& ac) : dc_(dc), ac_(ac) {}
  void Dc(CodedValue value) { ++dc_.count[value.category]; }
  void Ac(int symbol, CodedValue) { ++ac_.count[symbol]; }

 private:
  SymbolCounts& dc_;
  SymbolCounts& ac_;
};

// Keeps each symbol in the layout RecordBlockSymbols describes.
class RecordingSink {
 public:
  RecordingSink(int table, std::uint32_t* histogram, std::uint32_t* out)
      : dcTable_(static_cast<std::uint32_t>(2 * table) << 24), histogram_(histogram), out_(out) {}
  void Dc(CodedValue value) { Keep(dcTable_ | static_cast<std::uint32_t>(value.category) << 16, value); }
  void Ac(int symbol, CodedValue value) {
    Keep((dcTable_ + (1u << 24)) | static_cast<std::uint32_t>(symbol) << 16, value);
  }
  std::uint32_t* out() const { return out_; }

 private:
  void Keep(std::uint32_t tableAndSymbol, CodedValue value) {
    ++histogram_[tableAndSymbol >> 16];
    *out_++ = tableAndSymbol | static_cast<std::uint32_t>(value.category) << 26 | value.bits;
  }
  std::uint32_t dcTable_;
  std::uint32_t* histogram_;
  std::uint32_t* out_;
};

}  // namespace

unsigned char* EncodeBlock(const std::int16_t coefficients[64], int& previousDc, const HuffmanCodes& dcCodes,
                           const HuffmanCodes& acCodes, BitWriterState& state, unsigned char* out) {
  BitPacker packer(state, out);
  PackingSink sink(dcCodes, acCodes, packer);
  WalkBlock(coefficients, previousDc, sink);
  packer.Save(state);
  return packer.out();
}

std::uint32_t* RecordBlockSymbols(const std::int16_t coefficients[64], int& previousDc, int table,
                                  std::uint32_t histogram[1024], std::uint32_t* out) {
  RecordingSink sink(table, histogram, out);
  WalkBlock(coefficients, previousDc, sink);
  return sink.out();
}

void MakeRecordedSymbolCodes(const HuffmanSpec specs[4], std::uint32_t codeAndLength[1024]) {
  for (int t = 0; t < 4; ++t) {  // the canonical codes, as BuildHuffmanCodes assigns them
    unsigned code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
      for (int i = 0; i < specs[t].counts[length - 1] && index < specs[t].symbolCount; ++i, ++index, ++code) {
        codeAndLength[t << 8 | specs[t].symbols[index]] = code << 8 | static_cast<unsigned>(length);
      }
      code <<= 1;
    }
  }
}

unsigned char* EncodeRecordedSymbols(const std::uint32_t* symbols, std::size_t count,
                                     const std::uint32_t codeAndLength[1024], BitWriterState& state,
                                     unsigned char* out) {
  BitPacker packer(state, out);
  for (const std::uint32_t* end = symbols + count; symbols != end; ++symbols) {
    const std::uint32_t item = *symbols;
    const std::uint32_t code = codeAndLength[(item >> 16) & 0x3FF];
    const int category = static_cast<int>(item >> 26);
    packer.Put(((code >> 8) << category) | (item & 0xFFFF), static_cast<int>(code & 0xFF) + category);
  }
  packer.Save(state);
  return packer.out();
}

void CountBlockSymbols(const std::int16_t coefficients[64], int& previousDc, SymbolCounts& dcCounts,
                       SymbolCounts& acCounts) {
  CountingSink sink(dcCounts, acCounts);
  WalkBlock(coefficients, previousDc, sink);
}

}  // namespace lumavex::jpeg
