#pragma once
// A recording's frame taken from the screen straight into a 24-bit DIB
// section: the stamp is drawn, the JPEG encoded and the BMP written from the
// pixels where the copy put them, and the same bitmap then becomes the
// previews' picture. One copy of the pixels per frame, where a picture
// object copied again into a section took two.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "imaging/image.h"
#include "platform/gdi.h"
#include "platform/picture.h"

namespace lumavex {

class ScreenFrame {
 public:
  ScreenFrame() = default;
  ScreenFrame(const ScreenFrame&) = delete;
  ScreenFrame& operator=(const ScreenFrame&) = delete;

  // Copies width x height pixels of the screen at (left, top) into a new
  // section, whatever covers them. False, with the system's error code in
  // `error`, when the section or a device context cannot be made.
  bool Grab(int left, int top, int width, int height, DWORD& error);

  enum class Copy {
    Done,
    SourceRefused,  // the section is there, but the source gave nothing (BitBlt failed)
    NoSection,      // the section or a device context could not be made
  };
  // The rectangle of `source` (the screen's DC when null) into a new section
  // of outWidth x outHeight: copied when the sizes agree, otherwise
  // stretched with the halftone filter. The system's error code goes to
  // `error` unless Done.
  Copy GrabFrom(HDC source, int left, int top, int width, int height, int outWidth, int outHeight,
                DWORD& error);

  // The pixels, bottom row first, blue-green-red, rows padded to 4 bytes
  // (the pad bytes are zero). Empty before a Grab and after TakePicture.
  Bgr24Target Pixels() const { return {bits_, stride_, width_, height_}; }
  Bgr24Source ConstPixels() const { return {bits_, stride_, width_, height_}; }

  // The section as a picture for the views, which then own it; the frame
  // holds nothing until the next Grab. Null when the picture cannot be made.
  Picture TakePicture();

  // Lets go of the device context kept between frames (a recording ended).
  void Release();

 private:
  UniqueMemoryDc dc_;  // kept from frame to frame
  UniqueBitmap section_;
  std::uint8_t* bits_ = nullptr;
  std::size_t stride_ = 0;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace lumavex
