#pragma once
// cDIBSection: one 24-bit, bottom-up DIB section selected into a memory DC of
// its own. Blits reach the pixels through hdc(); the JPEG writer, the noise
// fill and the resampler reach them in place through DIBSectionBitsPtr(), row
// by row with BytesPerScanLine() as the stride (first row in memory = bottom
// row of the picture; blue, green, red per pixel).
//
// The section is either empty (no DC, no DIB, no bits) or created (DC and DIB
// made, DIB selected into the DC). Width() and Height() read the header, which
// keeps the last size asked for, even when making the DIB failed and after
// ClearUp.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <memory>

#include "platform/gdi.h"

namespace lumavex {

class cDIBSection {
 public:
  cDIBSection() = default;
  ~cDIBSection();  // ClearUp
  cDIBSection(const cDIBSection&) = delete;
  cDIBSection& operator=(const cDIBSection&) = delete;
  cDIBSection(cDIBSection&& other) noexcept;
  cDIBSection& operator=(cDIBSection&& other) noexcept;

  // Puts a screen-compatible copy of the section on the clipboard as CF_BITMAP.
  // bAsDIB true is not supported: it says so in a message and returns false.
  // The copy belongs to the clipboard only once SetClipboardData took it;
  // otherwise it is deleted here.
  bool CopyToClipboard(bool bAsDIB);

  // Fills the header for lWidth x lHeight and makes a 24-bit DIB section with
  // lhDC; the pixel address goes straight into this section's bits pointer.
  // hDib receives the new handle (null on failure), which the caller owns.
  // The header keeps the new size even on failure. Sizes that are not
  // positive make no DIB (a negative height would turn the rows top-down).
  // Throws std::overflow_error like BytesPerScanLine, and when the image
  // size (height x BytesPerScanLine) does not fit in 32 bits.
  bool CreateDIB(HDC lhDC, int lWidth, int lHeight, HBITMAP& hDib);

  // Makes the section the size of the picture's bitmap and copies it in. The
  // picture stays the caller's. A picture that holds no bitmap (or none at
  // all) asks for a 0 x 0 section, which stays empty.
  void CreateFromPicture(IPicture* picThis);

  // ClearUp, then a memory DC compatible with the screen holding a new
  // lWidth x lHeight DIB. False (and empty) when either cannot be made.
  bool Create(int lWidth, int lHeight);

  // 3 x Width rounded up to a multiple of 4. Throws std::overflow_error when
  // 3 x Width + 3 does not fit in 32 bits (the runtime's overflow error).
  int BytesPerScanLine() const;
  int Width() const { return header_.biWidth; }
  int Height() const { return header_.biHeight; }

  // Blits from lhDC at (lSrcLeft, lSrcTop) to the section's origin; a
  // negative width or height stands for the section's own.
  void LoadPictureBlt(HDC lhDC, int lSrcLeft, int lSrcTop, int lSrcWidth, int lSrcHeight,
                      DWORD eRop = SRCCOPY);
  // Blits the section from (lSrcLeft, lSrcTop) into lhDC at (lDestLeft,
  // lDestTop); a negative width or height stands for the section's own.
  void PaintPicture(HDC lhDC, int lDestLeft = 0, int lDestTop = 0, int lDestWidth = -1, int lDestHeight = -1,
                    int lSrcLeft = 0, int lSrcTop = 0, DWORD eRop = SRCCOPY);

  HDC hdc() const { return memoryDc_.get(); }
  HBITMAP hDib() const { return dib_.get(); }
  // The first pixel byte, which belongs to the bottom row; null when empty.
  // Valid until the next ClearUp, Create or destruction.
  std::uint8_t* DIBSectionBitsPtr() const { return static_cast<std::uint8_t*>(bits_); }

  // Fills every pixel with noise seeded from the seconds since midnight:
  // grey (B = G = R) or, with bGray false, blue 0 and random green and red.
  void RandomiseBits(bool bGray);

  // Releases the DIB (after selecting the previous bitmap back) and the DC.
  // The header, and so Width and Height, stay as they were.
  void ClearUp();

  // A new section of lNewWidth x lNewHeight holding this one's picture: a
  // plain blit at the same size, bilinear resampling otherwise. Null when the
  // new section cannot be made. Throws std::out_of_range when resampling a
  // section narrower or lower than 2 pixels.
  std::unique_ptr<cDIBSection> Resample(int lNewHeight, int lNewWidth);

  // The section's description as last filled in (for checks and diagnostics).
  const BITMAPINFOHEADER& Header() const { return header_; }

 private:
  void ResampleDIB(cDIBSection& target);
  void TakeFrom(cDIBSection& other) noexcept;

  UniqueBitmap dib_;
  UniqueMemoryDc memoryDc_;
  std::unique_ptr<SelectedObject> selected_;  // the DIB in memoryDc_; heap-held so the section can move
  void* bits_ = nullptr;
  BITMAPINFOHEADER header_{};
};

}  // namespace lumavex
