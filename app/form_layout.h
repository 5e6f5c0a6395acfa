#pragma once
// The main window's controls at the DPI of its monitor: each where the
// design puts it in twips, times the DPI, and one font at that DPI for all
// of them, made smaller only as far as every caption needs to fit its
// control (a substitute font may run wider than the design's). Laid out
// again when the window moves to a monitor of another DPI.
#include <windows.h>

#include <vector>

#include "platform/gdi.h"

namespace lumavex {

class FormLayout {
 public:
  FormLayout();

  // The form's control `id` is designed at these twips; returns its pixels
  // at the layout's DPI now, to create it there.
  RECT Design(int id, int left, int top, int width, int height);
  // Every designed control of `form` moved to its place at `dpi`, and given
  // the font for it.
  void Apply(HWND form, int dpi);

  int Dpi() const { return dpi_; }
  int ToPixels(int twips) const { return ::MulDiv(twips, dpi_, 1440); }

  // The DPI of the monitor `window` is on, as the system tells a program
  // aware of each monitor's DPI; the system's DPI where it cannot tell.
  static int DpiOfWindow(HWND window);
  // The system's DPI, at which the stock font is made.
  static int SystemDpi();

 private:
  struct Placed {
    int id;
    int left, top, width, height;  // twips
  };
  HFONT FittingFont(HWND form) const;

  std::vector<Placed> placed_;
  int dpi_;
  UniqueFont font_;     // the controls' font; kept until the next layout
  UniqueFont oldFont_;  // the one before, until the controls have let go of it
};

}  // namespace lumavex
