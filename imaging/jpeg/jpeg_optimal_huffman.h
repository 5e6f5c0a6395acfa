#pragma once
// Huffman tables built for one frame from how often each symbol occurs in
// it, so that frequent symbols get short codes: the same coefficients in
// fewer bytes than the example tables give.
#include <cstdint>

#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

// How often each symbol (a DC category, or an AC run/category byte) of one
// table occurs in a frame.
struct SymbolCounts {
  std::uint64_t count[256];
};

// A table in DHT form that owns its symbols.
struct OptimalHuffmanTable {
  std::uint8_t counts[16];  // codes of each length 1..16
  std::uint8_t symbols[256];
  int symbolCount;

  HuffmanSpec Spec() const;
};

// A Huffman code for `counts` whose codes are at most 16 bits long and none
// of which is all ones (a decoder may take that code for padding). The code
// takes the fewest bits unless its rarest symbols would need longer codes;
// those are then moved up to 16 bits, at a small cost. Every symbol with a
// non-zero count gets a code, none other does; no symbol at all gives an
// empty table.
OptimalHuffmanTable BuildOptimalHuffmanTable(const SymbolCounts& counts);

}  // namespace lumavex::jpeg
