#include "imaging/jpeg/jpeg_markers.h"

#include <array>
#include <cstddef>

#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

namespace {

constexpr std::uint8_t kSoi = 0xD8, kApp0 = 0xE0, kDqt = 0xDB, kSof0 = 0xC0, kDht = 0xC4, kSos = 0xDA,
                       kEoi = 0xD9;

// Collects one segment: marker, 16-bit length (which counts itself), body.
// The largest segment written here, the four Huffman tables, takes at most
// 420 bytes: DC tables hold at most 12 symbols and AC tables 162.
class Segment {
 public:
  explicit Segment(std::uint8_t marker) : bytes_{0xFF, marker, 0, 0}, size_(4) {}
  void Byte(int value) {
    if (size_ < bytes_.size()) bytes_[size_] = static_cast<std::uint8_t>(value);
    ++size_;
  }
  void Word(int value) {
    Byte(value >> 8);
    Byte(value & 0xFF);
  }
  bool WriteTo(JpegOutputBuffer& out) {
    if (size_ > bytes_.size()) return false;  // cannot happen with baseline tables
    const std::size_t length = size_ - 2;
    bytes_[2] = static_cast<std::uint8_t>(length >> 8);
    bytes_[3] = static_cast<std::uint8_t>(length & 0xFF);
    return out.Append(bytes_.data(), size_);
  }

 private:
  std::array<std::uint8_t, 512> bytes_;
  std::size_t size_;
};

bool WriteMarker(JpegOutputBuffer& out, std::uint8_t marker) {
  const std::uint8_t bytes[2] = {0xFF, marker};
  return out.Append(bytes, sizeof bytes);
}

void AddHuffmanTable(Segment& segment, int tableClass, int id, const HuffmanSpec& spec) {
  segment.Byte((tableClass << 4) | id);
  for (std::uint8_t count : spec.counts) segment.Byte(count);
  for (int i = 0; i < spec.symbolCount; ++i) segment.Byte(spec.symbols[i]);
}

}  // namespace

bool WriteFileHeaders(JpegOutputBuffer& out, const FrameLayout& frame) {
  const bool colour = frame.componentCount == 3;
  const int tableCount = colour ? 2 : 1;
  if (!WriteMarker(out, kSoi)) return false;

  Segment jfif(kApp0);
  for (char c : {'J', 'F', 'I', 'F', '\0'}) jfif.Byte(c);
  jfif.Word(0x0101);  // version 1.01
  jfif.Byte(0);       // no units: the densities give the pixel aspect ratio
  jfif.Word(1);
  jfif.Word(1);
  jfif.Byte(0);  // no thumbnail
  jfif.Byte(0);
  if (!jfif.WriteTo(out)) return false;

  Segment dqt(kDqt);
  for (int t = 0; t < tableCount; ++t) {
    dqt.Byte(t);  // 8-bit entries, table t
    for (int k = 0; k < 64; ++k) dqt.Byte(frame.quantTables[t][kZigzagToNatural[k]]);
  }
  if (!dqt.WriteTo(out)) return false;

  Segment sof(kSof0);
  sof.Byte(8);  // sample precision
  sof.Word(frame.height);
  sof.Word(frame.width);
  sof.Byte(frame.componentCount);
  for (int c = 0; c < frame.componentCount; ++c) {
    const FrameComponent& component = frame.components[c];
    sof.Byte(component.id);
    sof.Byte((component.horizontal << 4) | component.vertical);
    sof.Byte(component.table);
  }
  if (!sof.WriteTo(out)) return false;

  Segment dht(kDht);
  for (int t = 0; t < tableCount; ++t) {
    AddHuffmanTable(dht, 0, t, frame.dcTables[t]);
    AddHuffmanTable(dht, 1, t, frame.acTables[t]);
  }
  if (!dht.WriteTo(out)) return false;

  Segment sos(kSos);
  sos.Byte(frame.componentCount);
  for (int c = 0; c < frame.componentCount; ++c) {
    sos.Byte(frame.components[c].id);
    sos.Byte((frame.components[c].table << 4) | frame.components[c].table);
  }
  sos.Byte(0);   // spectral selection start
  sos.Byte(63);  // spectral selection end
  sos.Byte(0);   // successive approximation
  return sos.WriteTo(out);
}

bool WriteEndOfImage(JpegOutputBuffer& out) { return WriteMarker(out, kEoi); }

}  // namespace lumavex::jpeg
