#include "imaging/win32/screen_frame.h"

#include <utility>

namespace lumavex {

bool ScreenFrame::Grab(int left, int top, int width, int height, DWORD& error) {
  section_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
  stride_ = 0;
  const std::size_t stride = Image::StrideFor(width);
  if (stride == 0 || height <= 0) {
    error = ERROR_INVALID_PARAMETER;
    return false;
  }
  WindowDc screen(nullptr);
  if (!dc_) dc_.reset(::CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  // The system hands out the section's memory zero-filled, pad bytes too;
  // the copy writes only pixels.
  UniqueBitmap section(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen || !dc_ || !section || !bits) {
    const DWORD last = ::GetLastError();
    error = last ? last : ERROR_NOT_ENOUGH_MEMORY;
    return false;
  }
  {
    SelectedObject selected(dc_.get(), section.get());
    ::BitBlt(dc_.get(), 0, 0, width, height, screen.get(), left, top, SRCCOPY);
  }
  // The copy has landed before anyone reads the pixels.
  ::GdiFlush();
  section_ = std::move(section);
  bits_ = static_cast<std::uint8_t*>(bits);
  stride_ = stride;
  width_ = width;
  height_ = height;
  return true;
}

Picture ScreenFrame::TakePicture() {
  bits_ = nullptr;
  stride_ = 0;
  width_ = height_ = 0;
  if (!section_) return {};
  return PictureOwningBitmap(std::move(section_));
}

void ScreenFrame::Release() {
  TakePicture();
  section_.reset();
  dc_.reset();
}

}  // namespace lumavex
