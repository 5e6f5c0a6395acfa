#pragma once
// What the recording handlers read from and write to the main window: the
// choices the recorder is handed at every call (the selected webcam row, the
// check boxes, the Capture menu, the save folder), and the recording as the
// window shows it (Timer1, the four buttons, Text1, the previews).
#include <windows.h>

#include <string>

#include "recording/win32/recorder.h"

namespace lumavex {

class Form1;

// The row of List1 selected now; `selected` false when there is none.
WebcamRow ReadSelectedWebcam(HWND list);

// The recorder's options as the window's controls hold them now.
RecorderOptions ReadRecorderOptions(const Form1& form);

// Writes the recording's phase, next due time and last frame to the window.
// While a frame is due Timer1 is armed afresh for the time left until then,
// so a late tick never pushes the ones after it.
void ShowRecordingControls(Form1& form);

// The previews: each frame in Picture1 and Image1, and the waiting text in
// Image1.
class FormRecorderView : public RecorderView {
 public:
  explicit FormRecorderView(Form1& form) : form_(form) {}
  void ShowFrame(const Picture& picture) override;
  void ShowWaiting(const std::string& title) override;

 private:
  Form1& form_;
  std::string waitingFor_;
};

}  // namespace lumavex
