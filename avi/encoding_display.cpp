#include "avi/encoding_display.h"

#include "avi/frame_decoder.h"
#include "platform/controls.h"
#include "platform/picture_view.h"

namespace lumavex {

void EncodingDisplay::Frame(int index, const std::vector<std::uint8_t>& bmp) {
  latest_ = index;
  if (shown_ >= 0 && Clock::now() - lastShown_ < kInterval) return;
  Show(index, bmp);
}

void EncodingDisplay::Failed(int index) {
  ListSelect(list_, index);
}

void EncodingDisplay::Latest(const std::vector<std::uint8_t>& bmp) {
  if (latest_ >= 0 && latest_ != shown_) Show(latest_, bmp);
}

void EncodingDisplay::Show(int index, const std::vector<std::uint8_t>& bmp) {
  ListSelect(list_, index);
  // Repaints at once: the conversion does not return to the message loop.
  SetViewPicture(preview_, PictureFromBmp24(bmp));
  ::UpdateWindow(list_);
  shown_ = index;
  lastShown_ = Clock::now();
}

}  // namespace lumavex
