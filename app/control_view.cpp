#include "app/control_view.h"

#include <utility>

#include "imaging/win32/image_picture.h"
#include "platform/controls.h"
#include "platform/picture_view.h"

namespace lumavex {

void ControlConversionView::Frames(std::shared_ptr<const FrameNames> names) {
  names_ = std::move(names);
  total_ = names_ ? static_cast<int>(names_->size()) : 0;
  ListSetCount(list_, total_);
  ::InvalidateRect(list_, nullptr, TRUE);
  if (progress_) progress_->Show(0, total_);
}

std::string ControlConversionView::Row(int index) const {
  if (!names_ || index < 0 || static_cast<std::size_t>(index) >= names_->size()) return {};
  return names_->Name(static_cast<std::size_t>(index));
}

void ControlConversionView::DrawRow(const DRAWITEMSTRUCT& item) const {
  DrawListRow(item, Row(static_cast<int>(item.itemID)));
}

void ControlConversionView::Current(int index) {
  ListSelect(list_, index);
  // At once: a conversion that does not return to the message loop (the
  // benchmark's) still shows where it is.
  ::UpdateWindow(list_);
  if (progress_) progress_->Show(index + 1, total_);
}

void ControlConversionView::Preview(const Image& picture) {
  SetViewPicture(preview_, PictureOfImage(picture));
}

void ControlConversionView::Message(const std::string& text, MessageIcon icon) { ShowMessage(text, icon); }

}  // namespace lumavex
