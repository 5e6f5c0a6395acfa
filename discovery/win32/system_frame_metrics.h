#pragma once
// This system's window frame metrics, read in the order the pane geometry
// fixes. Header-only so that the demo window, which links no Win32 layer,
// reads them the same way.
#include <windows.h>

#include "discovery/pane_geometry.h"

namespace lumavex {

inline FrameMetrics SystemFrameMetrics() {
  return ReadFrameMetrics([](int index) { return ::GetSystemMetrics(index); });
}

}  // namespace lumavex
