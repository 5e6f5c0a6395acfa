#include "imaging/win32/screen_frame.h"

#include <utility>

namespace lumavex {

bool ScreenFrame::Grab(int left, int top, int width, int height, DWORD& error) {
  const Copy copy = GrabFrom(nullptr, left, top, width, height, width, height, error);
  // As before the copy's own answer was read: a refused copy keeps its
  // (black) section.
  return copy != Copy::NoSection;
}

ScreenFrame::Copy ScreenFrame::GrabFrom(HDC source, int left, int top, int width, int height, int outWidth,
                                        int outHeight, DWORD& error) {
  section_.reset();
  bits_ = nullptr;
  width_ = height_ = 0;
  stride_ = 0;
  const std::size_t stride = Image::StrideFor(outWidth);
  if (stride == 0 || outHeight <= 0 || width <= 0 || height <= 0) {
    error = ERROR_INVALID_PARAMETER;
    return Copy::NoSection;
  }
  WindowDc screen(nullptr);
  if (!dc_) dc_.reset(::CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = outWidth;
  info.bmiHeader.biHeight = outHeight;  // positive: bottom-up rows
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
    return Copy::NoSection;
  }
  const HDC from = source ? source : screen.get();
  BOOL copied = FALSE;
  DWORD refusal = 0;
  {
    SelectedObject selected(dc_.get(), section.get());
    if (outWidth == width && outHeight == height) {
      copied = ::BitBlt(dc_.get(), 0, 0, width, height, from, left, top, SRCCOPY);
    } else {
      // A pane the system draws stretched goes back to the frame's size.
      ::SetStretchBltMode(dc_.get(), HALFTONE);
      ::SetBrushOrgEx(dc_.get(), 0, 0, nullptr);
      copied = ::StretchBlt(dc_.get(), 0, 0, outWidth, outHeight, from, left, top, width, height, SRCCOPY);
    }
    if (!copied) refusal = ::GetLastError();
  }
  if (!copied) error = refusal ? refusal : ERROR_ACCESS_DENIED;
  // The copy has landed before anyone reads the pixels.
  ::GdiFlush();
  section_ = std::move(section);
  bits_ = static_cast<std::uint8_t*>(bits);
  stride_ = stride;
  width_ = outWidth;
  height_ = outHeight;
  return copied ? Copy::Done : Copy::SourceRefused;
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
