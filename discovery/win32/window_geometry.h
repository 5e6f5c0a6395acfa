#pragma once
// The webcam pane and the sample points of a window at that window's own
// scale: a window whose program is unaware of DPI (or laid out at the
// system's DPI) is drawn stretched on a scaled monitor, and its pane with
// it. The system is asked through functions that Windows 7 and Wine may
// lack; without them nothing is stretched.
#include <windows.h>

#include "discovery/pane_geometry.h"
#include "discovery/window_stretch.h"

namespace lumavex {

struct WindowGeometry {
  PaneRect pane{};  // on the screen, at its size there
  ScreenPoint first{}, second{};
  WindowStretch stretch;
};

// From the window's rectangle `rect` (screen pixels), its DPI awareness and
// DPI, and its monitor's DPI.
WindowGeometry GeometryOfWindow(HWND window, const RECT& rect);

// The window's DPI as the system gives it (Windows 10 on); 0 where it cannot.
int WindowDpi(HWND window);

}  // namespace lumavex
