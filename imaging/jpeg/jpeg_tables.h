#pragma once
// Fixed tables of baseline JPEG: the example quantisation tables and their
// quality scaling, the zigzag order, and the example Huffman tables from the
// JPEG standard (which need no first pass over the picture to count its
// symbols; see jpeg_optimal_huffman.h for tables built per frame).
#include <array>
#include <cstdint>

namespace lumavex::jpeg {

namespace detail {
// Walks the anti-diagonals alternately up and down, as the zigzag does.
constexpr std::array<std::uint8_t, 64> MakeZigzag() {
  std::array<std::uint8_t, 64> order{};
  int k = 0;
  for (int diagonal = 0; diagonal < 15; ++diagonal) {
    const bool upward = diagonal % 2 == 0;  // even diagonals run from bottom-left to top-right
    for (int i = 0; i <= diagonal; ++i) {
      const int row = upward ? diagonal - i : i;
      const int column = diagonal - row;
      if (row < 8 && column < 8) order[k++] = static_cast<std::uint8_t>(row * 8 + column);
    }
  }
  return order;
}
}  // namespace detail

// Natural index (row * 8 + column) of the k-th coefficient in zigzag order.
inline constexpr std::array<std::uint8_t, 64> kZigzagToNatural = detail::MakeZigzag();

// Example quantisation tables in natural order.
extern const std::uint8_t kLuminanceQuant[64];
extern const std::uint8_t kChrominanceQuant[64];

// Percentage by which the example tables are scaled for a quality 1..100:
// 5000 / q below 50, 200 - 2q from 50 up (quality 50 keeps the tables).
int QualityScale(int quality);

// `base` scaled for `quality`, each entry rounded and kept within 1..255 so
// the tables stay 8-bit (baseline). Natural order.
void ScaleQuantTable(const std::uint8_t base[64], int quality, std::uint8_t out[64]);

// A Huffman table as it is written in a DHT segment: the number of codes of
// each length 1..16 and the symbols in order of increasing code length.
struct HuffmanSpec {
  std::uint8_t counts[16];
  const std::uint8_t* symbols;
  int symbolCount;
};

extern const HuffmanSpec kDcLuminanceSpec;
extern const HuffmanSpec kAcLuminanceSpec;
extern const HuffmanSpec kDcChrominanceSpec;
extern const HuffmanSpec kAcChrominanceSpec;

// Code and code length for each of the 256 symbols; length 0 marks a symbol
// the table does not hold.
struct HuffmanCodes {
  std::uint16_t code[256];
  std::uint8_t length[256];
};

// Assigns the canonical codes of `spec` (JPEG's rule: codes of one length are
// consecutive, and the next length continues from the last code doubled).
HuffmanCodes BuildHuffmanCodes(const HuffmanSpec& spec);

}  // namespace lumavex::jpeg
