#pragma once
// A picture of one colour is no picture: what a window that draws nothing
// into a capture leaves (the bitmap's zero fill, or one background fill).
// A real webcam picture, even a dark one, has the sensor's noise in it, so
// only an exact single colour counts, never "nearly black".
#include "imaging/image.h"

namespace lumavex {

// True when every pixel of the picture has the same blue, green and red
// (the pad bytes after each row are not looked at); true for no pixels.
bool OneColour(const Bgr24Source& picture);

}  // namespace lumavex
