#pragma once
// Bit packing for the entropy-coded segment: codes go into a 64-bit
// accumulator and leave it 32 bits at a time, with a 0x00 stuffed after every
// 0xFF byte as JPEG requires. Four bytes without 0xFF (the usual case) are
// stored in one go.
#include <cstdint>

namespace lumavex::jpeg {

// What a scan leaves pending between blocks.
struct BitWriterState {
  std::uint64_t bits = 0;  // pending bits at the low end; bits above them are stale
  int count = 0;           // number of pending bits, 0..31 between calls
};

// The longest single put: a 16-bit Huffman code followed by 11 value bits.
constexpr int kMaxPutBits = 27;

// Hot-loop copy of the state held in locals, so the compiler can keep it in
// registers while bytes are stored through the output pointer.
class BitPacker {
 public:
  BitPacker(const BitWriterState& state, unsigned char* out)
      : bits_(state.bits), count_(state.count), out_(out) {}

  // Appends the low `length` bits of `value` (1..kMaxPutBits; the bits above
  // `length` must be 0).
  void Put(std::uint32_t value, int length) {
    bits_ = (bits_ << length) | value;
    count_ += length;
    if (count_ >= 32) {
      count_ -= 32;
      EmitWord(static_cast<std::uint32_t>(bits_ >> count_));
    }
  }

  // Pads the last byte with 1 bits and writes out every pending bit.
  void FlushToByte() {
    const int pad = (8 - count_ % 8) % 8;
    if (pad > 0) {
      bits_ = (bits_ << pad) | ((1u << pad) - 1u);
      count_ += pad;
    }
    while (count_ >= 8) {
      count_ -= 8;
      EmitByte(static_cast<unsigned char>(bits_ >> count_));
    }
  }

  void Save(BitWriterState& state) const {
    state.bits = bits_;
    state.count = count_;
  }
  unsigned char* out() const { return out_; }

 private:
  void EmitByte(unsigned char b) {
    *out_++ = b;
    if (b == 0xFF) *out_++ = 0;
  }

  void EmitWord(std::uint32_t w) {
    // A byte of w is 0xFF exactly when the same byte of ~w is zero.
    const std::uint32_t inverted = ~w;
    if (((inverted - 0x01010101u) & w & 0x80808080u) == 0) {
      out_[0] = static_cast<unsigned char>(w >> 24);
      out_[1] = static_cast<unsigned char>(w >> 16);
      out_[2] = static_cast<unsigned char>(w >> 8);
      out_[3] = static_cast<unsigned char>(w);
      out_ += 4;
      return;
    }
    EmitByte(static_cast<unsigned char>(w >> 24));
    EmitByte(static_cast<unsigned char>(w >> 16));
    EmitByte(static_cast<unsigned char>(w >> 8));
    EmitByte(static_cast<unsigned char>(w));
  }

  std::uint64_t bits_;
  int count_;
  unsigned char* out_;
};

}  // namespace lumavex::jpeg
