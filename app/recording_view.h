#pragma once
// What the recording handlers read from and write to the main window: the
// selected webcam row, the pane of its window on the screen, and the
// recording controls (Timer1, the four buttons, Text1).
#include <windows.h>

#include <string>

#include "recording/recording_state.h"
#include "discovery/pane_geometry.h"

namespace lumavex {

class Form1;

// The row of List1 selected now; `selected` false when there is none.
struct SelectedWebcam {
  bool selected = false;
  std::string title;
  HWND window = nullptr;
};
SelectedWebcam ReadSelectedWebcam(HWND list);

// The webcam pane of a window, from its rectangle now and the system metrics
// now. A rectangle that cannot be read counts as all zeros.
PaneRect CurrentPaneRect(HWND window);

// Writes the state's controls to the window. Timer1 is touched only when its
// interval or enabled flag really changes, because every change restarts its
// period.
void ShowRecordingControls(Form1& form, const RecordingControls& controls);

}  // namespace lumavex
