#pragma once
// The recording loop's handlers on the main window: Start (and a double-click
// on a row), each Timer1 tick, Pause/Stop and Reset.
namespace lumavex {

class Form1;

void StartRecording(Form1& form);
void CaptureFrame(Form1& form);
void HaltRecording(Form1& form);
void ResetFrameCounter(Form1& form);

}  // namespace lumavex
