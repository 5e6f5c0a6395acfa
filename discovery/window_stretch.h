#pragma once
// How the system stretches a window on a scaled display, from what the
// window's program declared about DPI. Portable: the Win32 side asks the
// system (discovery/win32/window_geometry.h).
#include "discovery/pane_geometry.h"

namespace lumavex {

enum class DpiAwareness {
  Unknown,     // the system cannot tell (before Windows 10): nothing stretched
  Unaware,     // laid out at 96 DPI, drawn stretched on any other monitor
  System,      // laid out at the system's DPI, stretched on other monitors
  PerMonitor,  // draws itself at each monitor's DPI: never stretched
};

// `windowDpi` is the DPI the program laid the window out at (what
// GetDpiForWindow says: 96 for an unaware one), `monitorDpi` that of the
// monitor it is shown on. A DPI of zero or less is one not known: no stretch.
WindowStretch StretchOfWindow(DpiAwareness awareness, int windowDpi, int monitorDpi);

}  // namespace lumavex
