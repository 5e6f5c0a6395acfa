#pragma once
// The marker segments of a baseline JFIF file around the scan data:
// SOI, APP0 (JFIF), DQT, SOF0, DHT and SOS before it, EOI after it.
#include <cstdint>

#include "imaging/jpeg/jpeg_output_buffer.h"
#include "imaging/jpeg/jpeg_tables.h"

namespace lumavex::jpeg {

struct FrameComponent {
  std::uint8_t id;          // 1 = Y, 2 = Cb, 3 = Cr
  std::uint8_t horizontal;  // sampling factors, 1 or 2
  std::uint8_t vertical;
  std::uint8_t table;  // quantisation and Huffman table number: 0 luma, 1 chroma
};

struct FrameLayout {
  int width;           // 1..65535
  int height;          // 1..65535
  int componentCount;  // 1 or 3
  FrameComponent components[3];
  // Quantisation tables in natural order and Huffman tables, indexed by
  // FrameComponent::table.
  const std::uint8_t* quantTables[2];
  HuffmanSpec dcTables[2];
  HuffmanSpec acTables[2];
};

// Everything up to and including the SOS header. False when the buffer
// failed.
bool WriteFileHeaders(JpegOutputBuffer& out, const FrameLayout& frame);

// The EOI marker.
bool WriteEndOfImage(JpegOutputBuffer& out);

}  // namespace lumavex::jpeg
