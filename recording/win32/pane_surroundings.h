#pragma once
// What lies around the recorded window's pane now: the monitors, and the
// windows above it that the user sees.
#include <windows.h>

#include "recording/capture_route.h"

namespace lumavex {

// Windows above `window` in the z-order that are visible, not minimised and
// not cloaked (on another virtual desktop, or hidden by the system), each as
// drawn (its frame without the invisible resize borders where the system
// tells them).
PaneSurroundings SurroundingsOf(HWND window);

}  // namespace lumavex
