#include "recording/win32/pane_surroundings.h"

#include <dwmapi.h>

namespace lumavex {
namespace {

// Windows 8's attribute, which the headers for Windows 7 lack; Windows 7
// refuses it and nothing counts as cloaked there.
constexpr DWORD kDwmCloaked = 14;

ScreenRect ScreenRectOf(const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; }

bool Cloaked(HWND window) {
  DWORD cloaked = 0;
  return SUCCEEDED(::DwmGetWindowAttribute(window, kDwmCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}

bool DrawnRect(HWND window, RECT& r) {
  if (SUCCEEDED(::DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r)) &&
      r.right > r.left && r.bottom > r.top)
    return true;
  return ::GetWindowRect(window, &r) != FALSE;
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT area, LPARAM context) {
  reinterpret_cast<PaneSurroundings*>(context)->monitors.push_back(ScreenRectOf(*area));
  return TRUE;
}

// A z-order that changes while it is walked could lead round in a loop.
constexpr int kMostWindowsAbove = 4096;

}  // namespace

PaneSurroundings SurroundingsOf(HWND window) {
  PaneSurroundings around;
  ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&around));
  int walked = 0;
  for (HWND above = ::GetWindow(window, GW_HWNDPREV); above && walked < kMostWindowsAbove;
       above = ::GetWindow(above, GW_HWNDPREV), ++walked) {
    if (!::IsWindowVisible(above) || ::IsIconic(above) || Cloaked(above)) continue;
    RECT r{};
    if (DrawnRect(above, r)) around.windowsAbove.push_back(ScreenRectOf(r));
  }
  return around;
}

}  // namespace lumavex
