#pragma once
// Between the platform's bitmaps and pictures and the program's pictures in
// memory (imaging/image.h).
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "imaging/image.h"
#include "platform/picture.h"

namespace lumavex {

// Reads a bitmap's pixels, converted to 24 bits whatever the bitmap's own
// depth. False (and `image` unspecified) when there is no bitmap or it
// cannot be read.
bool ImageOfBitmap(HBITMAP bitmap, Image& image);
// The same for the bitmap of a bitmap picture.
bool ImageOfPicture(IPicture* picture, Image& image);

// A bitmap picture holding a copy of `image`, for showing it; empty when the
// picture cannot be made.
Picture PictureOfImage(const Image& image);

}  // namespace lumavex
