#pragma once
// Huffman coding of quantised blocks for a baseline sequential scan.
#include <cstdint>

#include "imaging/jpeg/jpeg_bit_writer.h"
#include "imaging/jpeg/jpeg_optimal_huffman.h"
#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

// The most bytes one block can produce, stuffing included: a DC code and 63
// AC codes of at most 27 bits each, every byte possibly doubled.
constexpr int kMaxBlockBytes = 2 * ((kMaxPutBits * 64 + 7) / 8) + 8;

// Codes one block of coefficients in the DCT's transposed natural order
// (see jpeg_dct.h): the DC difference to `previousDc` (updated), then the AC
// run-length symbols, ending with an end-of-block code unless the last
// coefficient is non-zero. `out` must have room for kMaxBlockBytes; returns
// the position after the bytes written.
unsigned char* EncodeBlock(const std::int16_t coefficients[64], int& previousDc, const HuffmanCodes& dcCodes,
                           const HuffmanCodes& acCodes, BitWriterState& state, unsigned char* out);

// Adds the symbols EncodeBlock would code for this block to the counts,
// updating `previousDc` the same way.
void CountBlockSymbols(const std::int16_t coefficients[64], int& previousDc, SymbolCounts& dcCounts,
                       SymbolCounts& acCounts);

// Bit length of a magnitude (0 for 0): JPEG's "size" category.
inline int MagnitudeCategory(unsigned magnitude) {
#if defined(__GNUC__) || defined(__clang__)
  return magnitude == 0 ? 0 : 32 - __builtin_clz(magnitude);
#else
  int bits = 0;
  while (magnitude != 0) {
    ++bits;
    magnitude >>= 1;
  }
  return bits;
#endif
}

}  // namespace lumavex::jpeg
