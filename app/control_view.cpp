#include "app/control_view.h"

#include "imaging/win32/image_picture.h"
#include "platform/controls.h"
#include "platform/picture_view.h"

namespace lumavex {

void ControlConversionView::Frames(const std::vector<std::string>& names) {
  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ListClear(list_);
  // Room for every name at once, instead of growing the list's storage a
  // few items at a time through tens of thousands of frames.
  std::size_t characters = 0;
  for (const std::string& name : names) characters += name.size() + 1;
  ::SendMessageW(list_, LB_INITSTORAGE, names.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
  for (const std::string& name : names) ListAdd(list_, name);
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
  total_ = static_cast<int>(names.size());
  if (progress_) progress_->Show(0, total_);
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
