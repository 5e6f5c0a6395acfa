#pragma once
// What the user sees of a conversion: the main window shows it in its
// controls, the benchmark and the tests record it.
#include <cstdint>
#include <string>
#include <vector>

#include "base/message.h"

namespace lumavex {

class ConversionView {
 public:
  virtual ~ConversionView() = default;
  // The frame files (names without folder), in the order they become frames.
  virtual void Frames(const std::vector<std::string>& names) = 0;
  // Entry `index` of that list is being encoded.
  virtual void Current(int index) = 0;
  // A frame's picture, as the bytes of a 24-bit BMP file.
  virtual void Preview(const std::vector<std::uint8_t>& bmp) = 0;
  // A modal message; returns when the user has dismissed it.
  virtual void Message(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace lumavex
