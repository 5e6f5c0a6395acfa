#pragma once
// Huffman coding of quantised blocks for a baseline sequential scan.
#include <cstddef>
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

// A symbol kept between the two passes of an encode with tables per frame:
// the value bits in bits 0..15, the symbol in 16..23, the table in 24..25
// (2 x table number, + 1 for AC) and the number of value bits in 26..29.
// A block gives at most kMaxBlockSymbols of them: its DC and 63 non-zero
// AC coefficients, or fewer coefficients plus sixteen-zero runs and an end
// of block. Each codes to at most kMaxPutBits: one word, kMaxSymbolBytes with
// stuffing.
constexpr int kMaxBlockSymbols = 64;
constexpr int kMaxSymbolBytes = 8;

// Stores the symbols EncodeBlock would code for this block at `out` (room
// for kMaxBlockSymbols), updating `previousDc` the same way, and counts them
// in histogram[table and symbol fields, bits 16..25]; returns the end.
std::uint32_t* RecordBlockSymbols(const std::int16_t coefficients[64], int& previousDc, int table,
                                  std::uint32_t histogram[1024], std::uint32_t* out);

// The codes of the four tables (in table field order) in one array indexed
// by a recorded symbol's bits 16..25, each code << 8 | length: one load per
// symbol in the coding loop. Entries of symbols no table holds are not set.
void MakeRecordedSymbolCodes(const HuffmanSpec specs[4], std::uint32_t codeAndLength[1024]);

// Codes `count` recorded symbols. `out` must have room for kMaxSymbolBytes
// per symbol; returns the position after the bytes.
unsigned char* EncodeRecordedSymbols(const std::uint32_t* symbols, std::size_t count,
                                     const std::uint32_t codeAndLength[1024], BitWriterState& state,
                                     unsigned char* out);

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
