#pragma once
// The window a recording takes its frames from, as the system shows it now:
// whether there is anything to record, and where its webcam pane lies on
// the screen.
#include <windows.h>

#include "discovery/pane_geometry.h"

namespace lumavex {

// The webcam pane of a window, from its rectangle now and the system metrics
// now. A rectangle that cannot be read counts as all zeros.
PaneRect CurrentPaneRect(HWND window);

// The recorded window as one question to the system finds it.
struct WindowLook {
  // Still a window, and visible: there is something to record.
  bool recordable = false;
  bool minimised = false;
  bool topmost = false;
  PaneRect pane{};  // on the screen, at its size there
  RECT window{};    // the window's rectangle the pane was worked out from
};
WindowLook LookAtWindow(HWND window);

}  // namespace lumavex
