#pragma once
// What the user sees of a conversion: the main window shows it in its
// controls, the benchmark and the tests record it.
#include <memory>
#include <string>

#include "base/message.h"
#include "imaging/image.h"
#include "writeavi/frame_names.h"

namespace lumavex {

class ConversionView {
 public:
  virtual ~ConversionView() = default;
  // The frame files (names without folder), in the order they become
  // frames; shared, since a list showing them holds them as long as it
  // shows them, and it does not change any more.
  virtual void Frames(std::shared_ptr<const FrameNames> names) = 0;
  // Entry `index` of that list is being encoded.
  virtual void Current(int index) = 0;
  // A frame's picture.
  virtual void Preview(const Image& picture) = 0;
  // A modal message; returns when the user has dismissed it.
  virtual void Message(const std::string& text, MessageIcon icon) = 0;
};

}  // namespace lumavex
