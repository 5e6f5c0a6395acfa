#include "imaging/jpeg/jpeg_markers.h"

#include <array>
#include <cstddef>

#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

namespace {

constexpr std::uint8_t kSoi = 0xD8, kApp0 = 0xE0, kDqt = 0xDB, kSof0 = 0xC0, kDht = 0xC4, kSos = 0xDA,
                       kEoi = 0xD9;

// Collects one segment: marker, 16-bit length (which counts itself), body.
// The largest segment written here, the four Huffman tables, takes 420 bytes.
class Segment {
 public:
  explicit Segment(std::uint8_t marker) : bytes_{0xFF, marker, 0, 0}, size_(4) {}
  void byte(int value) {
    if (size_ < bytes_.size()) bytes_[size_] = static_cast<std::uint8_t>(value);
    ++size_;
  }
  void word(int value) {
    byte(value >> 8);
    byte(value & 0xFF);
  }
  bool writeTo(JpegOutputBuffer& out) {
    if (size_ > bytes_.size()) return false;  // cannot happen with the fixed tables
    const std::size_t length = size_ - 2;
    bytes_[2] = static_cast<std::uint8_t>(length >> 8);
    bytes_[3] = static_cast<std::uint8_t>(length & 0xFF);
    return out.append(bytes_.data(), size_);
  }

 private:
  std::array<std::uint8_t, 512> bytes_;
  std::size_t size_;
};

bool writeMarker(JpegOutputBuffer& out, std::uint8_t marker) {
  const std::uint8_t bytes[2] = {0xFF, marker};
  return out.append(bytes, sizeof bytes);
}

void addHuffmanTable(Segment& segment, int tableClass, int id, const HuffmanSpec& spec) {
  segment.byte((tableClass << 4) | id);
  for (std::uint8_t count : spec.counts) segment.byte(count);
  for (int i = 0; i < spec.symbolCount; ++i) segment.byte(spec.symbols[i]);
}

}  // namespace

bool writeFileHeaders(JpegOutputBuffer& out, const FrameLayout& frame) {
  const bool colour = frame.componentCount == 3;
  const int tableCount = colour ? 2 : 1;
  if (!writeMarker(out, kSoi)) return false;

  Segment jfif(kApp0);
  for (char c : {'J', 'F', 'I', 'F', '\0'}) jfif.byte(c);
  jfif.word(0x0101);  // version 1.01
  jfif.byte(0);       // no units: the densities give the pixel aspect ratio
  jfif.word(1);
  jfif.word(1);
  jfif.byte(0);  // no thumbnail
  jfif.byte(0);
  if (!jfif.writeTo(out)) return false;

  Segment dqt(kDqt);
  for (int t = 0; t < tableCount; ++t) {
    dqt.byte(t);  // 8-bit entries, table t
    for (int k = 0; k < 64; ++k) dqt.byte(frame.quantTables[t][kZigzagToNatural[k]]);
  }
  if (!dqt.writeTo(out)) return false;

  Segment sof(kSof0);
  sof.byte(8);  // sample precision
  sof.word(frame.height);
  sof.word(frame.width);
  sof.byte(frame.componentCount);
  for (int c = 0; c < frame.componentCount; ++c) {
    const FrameComponent& component = frame.components[c];
    sof.byte(component.id);
    sof.byte((component.horizontal << 4) | component.vertical);
    sof.byte(component.table);
  }
  if (!sof.writeTo(out)) return false;

  Segment dht(kDht);
  addHuffmanTable(dht, 0, 0, kDcLuminanceSpec);
  addHuffmanTable(dht, 1, 0, kAcLuminanceSpec);
  if (colour) {
    addHuffmanTable(dht, 0, 1, kDcChrominanceSpec);
    addHuffmanTable(dht, 1, 1, kAcChrominanceSpec);
  }
  if (!dht.writeTo(out)) return false;

  Segment sos(kSos);
  sos.byte(frame.componentCount);
  for (int c = 0; c < frame.componentCount; ++c) {
    sos.byte(frame.components[c].id);
    sos.byte((frame.components[c].table << 4) | frame.components[c].table);
  }
  sos.byte(0);   // spectral selection start
  sos.byte(63);  // spectral selection end
  sos.byte(0);   // successive approximation
  return sos.writeTo(out);
}

bool writeEndOfImage(JpegOutputBuffer& out) { return writeMarker(out, kEoi); }

}  // namespace lumavex::jpeg
