#include "imaging/win32/image_picture.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/gdi.h"

namespace lumavex {
namespace {

BITMAPINFO Info24(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // positive: bottom-up rows, as Image keeps them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

}  // namespace

bool ImageOfBitmap(HBITMAP bitmap, Image& image) {
  BITMAP bm{};
  if (!bitmap || ::GetObjectW(bitmap, sizeof bm, &bm) != sizeof bm) return false;
  try {
    if (!image.Resize(bm.bmWidth, bm.bmHeight)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  BITMAPINFO info = Info24(bm.bmWidth, bm.bmHeight);
  WindowDc screen(nullptr);
  // GetDIBits pads every row to 4 bytes, as Image does.
  return screen && ::GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), image.data(), &info,
                               DIB_RGB_COLORS) == bm.bmHeight;
}

bool ImageOfPicture(IPicture* picture, Image& image) { return ImageOfBitmap(PictureBitmap(picture), image); }

Picture PictureOfImage(const Image& image) {
  if (image.empty()) return {};
  const BITMAPINFO info = Info24(image.width(), image.height());
  void* bits = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  std::memcpy(bits, image.data(), image.pixels().size());
  return PictureOwningBitmap(std::move(bitmap));
}

}  // namespace lumavex
