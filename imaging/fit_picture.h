#pragma once
// Fits a picture into a frame of another size: scaled with its aspect ratio
// kept, centred, with black around it. Used when a video's frames differ in
// size from its first one. Portable: memory, rows and strides only.
#include "imaging/dib_resample.h"

namespace lumavex {

// Where a picture of sourceWidth x sourceHeight lands inside a frame: the
// largest rectangle of the source's aspect ratio (rounded to whole pixels,
// at least 1 x 1) that fits, centred (an odd pixel left over goes to the
// right or to the later rows).
struct FitArea {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
FitArea FitInside(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight);

// Fills the whole of `target` (blue-green-red, 3 bytes per pixel): the source
// scaled into FitInside's area with a triangle filter that widens with the
// reduction (so a halved picture averages its pixels instead of skipping
// them), black elsewhere, the pad bytes of each row zero. Row 0 is the first
// row in memory for both; with `bottomUp` (both pictures store their bottom
// row first) the odd row left over still goes below the picture. Throws
// std::invalid_argument for a picture without pixels or with a stride too
// short for its rows, before any target byte is written.
void FitPicture24(const Bgr24Source& source, const Bgr24Target& target, bool bottomUp = false);

// Makes `fitted` the picture `source` fitted into width x height as above
// (both bottom-up), reusing its memory. False for an empty source or a size
// no picture can have; `fitted` is then unchanged. `fitted` must not be
// `source`. May throw std::bad_alloc.
bool FitImage(const Image& source, int width, int height, Image& fitted);

}  // namespace lumavex
