#pragma once
// The runtime's picture services over OLE picture objects: the reference-
// counted picture that owns its bitmap and palette, saving it as a BMP file
// and loading a JPG or BMP file into one.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/gdi.h"

namespace lumavex {

using Picture = ComPtr<IPicture>;

// The bitmap handle inside a bitmap picture; null for no picture or another kind.
HBITMAP PictureBitmap(IPicture* picture);
// The palette handle of a picture (null when it has none).
HPALETTE PicturePalette(IPicture* picture);
// Pixel size of a bitmap picture; {0, 0} when there is none.
SIZE PictureSizePixels(IPicture* picture);

// Wraps a bitmap and an optional palette into a bitmap picture that owns
// both and deletes them with its last reference. When the picture cannot be
// made, both are deleted, `result` (if given) tells why and no picture is
// returned.
Picture PictureOwningBitmap(UniqueBitmap bitmap, UniquePalette palette = {}, HRESULT* result = nullptr);

// Decodes a JPG or BMP file into a bitmap picture; empty on failure.
Picture LoadPicture(const std::string& path);

}  // namespace lumavex
