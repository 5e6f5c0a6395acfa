#include "recording/win32/recorded_window.h"

#include "discovery/win32/window_geometry.h"

namespace lumavex {

// At the window's own scale, so a stretched window's pane is taken whole.
PaneRect CurrentPaneRect(HWND window) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) r = RECT{};
  return GeometryOfWindow(window, r).pane;
}

// Three questions to another process's window, each a round trip to the
// window server under Wine, where GetWindowInfo asks more.
WindowLook LookAtWindow(HWND window) {
  WindowLook look;
  // A window that is gone has no style: no WS_VISIBLE, as a hidden one.
  const LONG_PTR style = window ? ::GetWindowLongPtrW(window, GWL_STYLE) : 0;
  RECT r{};
  if (!(style & WS_VISIBLE) || !::GetWindowRect(window, &r)) return look;
  look.recordable = true;
  look.minimised = (style & WS_MINIMIZE) != 0;
  look.topmost = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  look.pane = GeometryOfWindow(window, r).pane;
  look.window = r;
  return look;
}

}  // namespace lumavex
