#include "app/recording_loop.h"

#include "app/form1.h"

namespace lumavex {

void StartRecording(Form1&) {}
void CaptureFrame(Form1&) {}
void HaltRecording(Form1&) {}
void ResetFrameCounter(Form1& form) { form.recording.ResetFrameCounter(); }

}  // namespace lumavex
