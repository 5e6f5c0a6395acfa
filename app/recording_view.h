#pragma once
// What the recording handlers read from and write to the main window: the
// selected webcam row, the recorded window as it stands now, and the
// recording controls (Timer1, the four buttons, Text1).
#include <windows.h>

#include <string>

#include "discovery/pane_geometry.h"
#include "recording/recording_state.h"

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

// The recorded window as one question to the system finds it.
struct WindowLook {
  // Still a window, and visible: there is something to record.
  bool recordable = false;
  bool minimised = false;
  bool topmost = false;
  PaneRect pane{};
};
WindowLook LookAtWindow(HWND window);

// Writes the state's controls to the window. While Timer1 is enabled it is
// armed afresh for the time left until its next tick is due, so a late tick
// never pushes the ones after it.
void ShowRecordingControls(Form1& form, const RecordingControls& controls);

}  // namespace lumavex
