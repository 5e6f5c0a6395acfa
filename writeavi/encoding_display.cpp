#include "writeavi/encoding_display.h"

#include "writeavi/conversion_view.h"

namespace lumavex {

bool EncodingDisplay::Due() const { return shown_ < 0 || Clock::now() - lastShown_ >= kInterval; }

void EncodingDisplay::Show(int index, const Image& picture) {
  view_.Current(index);
  view_.Preview(picture);
  shown_ = index;
  lastShown_ = Clock::now();
}

void EncodingDisplay::Select(int index) { view_.Current(index); }

}  // namespace lumavex
