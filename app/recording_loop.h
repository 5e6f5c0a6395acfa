#pragma once
// The recording handlers of the main window: Start (and a double-click on a
// row), each Timer1 tick, Pause, Stop and Reset, and the end of a recording
// when the window closes. Each reads the controls, calls the recorder, and
// writes back what it reports.
namespace lumavex {

class Form1;

void StartRecording(Form1& form);
void CaptureFrame(Form1& form);
void PauseRecording(Form1& form);
void StopRecording(Form1& form);
void ResetFrameCounter(Form1& form);
// The window is closing: a running recording ends, its log says why.
void EndRecordingOnClose(Form1& form);

}  // namespace lumavex
