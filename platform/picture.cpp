#include "platform/picture.h"

#include <cstring>
#include <vector>

#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/kernel.h"

namespace lumavex {
namespace {
// OLE hands GDI handles out as 32-bit values; GDI looks only at the low 32
// bits of a handle, so widening without sign gives back the handle we made.
template <typename H>
H HandleFromOle(OLE_HANDLE h) {
  return reinterpret_cast<H>(static_cast<UINT_PTR>(h));
}
}  // namespace

HBITMAP PictureBitmap(IPicture* picture) {
  if (!picture) return nullptr;
  SHORT type = PICTYPE_NONE;
  if (FAILED(picture->get_Type(&type)) || type != PICTYPE_BITMAP) return nullptr;
  OLE_HANDLE h = 0;
  if (FAILED(picture->get_Handle(&h))) return nullptr;
  return HandleFromOle<HBITMAP>(h);
}

HPALETTE PicturePalette(IPicture* picture) {
  if (!picture) return nullptr;
  OLE_HANDLE h = 0;
  if (FAILED(picture->get_hPal(&h))) return nullptr;
  return HandleFromOle<HPALETTE>(h);
}

SIZE PictureSizePixels(IPicture* picture) {
  SIZE size{0, 0};
  HBITMAP bitmap = PictureBitmap(picture);
  BITMAP bm{};
  if (bitmap && ::GetObjectW(bitmap, sizeof bm, &bm) == sizeof bm) size = {bm.bmWidth, bm.bmHeight};
  return size;
}

Picture PictureOwningBitmap(UniqueBitmap bitmap, UniquePalette palette, HRESULT* result) {
  PICTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.picType = PICTYPE_BITMAP;
  desc.bmp.hbitmap = bitmap.get();
  desc.bmp.hpal = palette.get();
  Picture picture;
  const HRESULT hr = ::OleCreatePictureIndirect(&desc, IID_IPicture, TRUE, picture.put_void());
  if (result) *result = hr;
  if (FAILED(hr) || !picture) return {};
  bitmap.release();
  palette.release();
  return picture;
}

Picture LoadPicture(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!ReadWholeFile(path, bytes) || bytes.empty()) return {};
  UniqueGlobal memory(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  if (!memory) return {};
  if (void* p = ::GlobalLock(memory.get())) {
    std::memcpy(p, bytes.data(), bytes.size());
    ::GlobalUnlock(memory.get());
  } else {
    return {};
  }
  ComPtr<IStream> stream;
  // The stream frees the memory when it goes.
  if (FAILED(::CreateStreamOnHGlobal(memory.get(), TRUE, stream.put()))) return {};
  memory.release();
  Picture picture;
  if (FAILED(::OleLoadPicture(stream.get(), static_cast<LONG>(bytes.size()), FALSE, IID_IPicture,
                              picture.put_void())))
    return {};
  if (!PictureBitmap(picture.get())) return {};
  return picture;
}

}  // namespace lumavex
