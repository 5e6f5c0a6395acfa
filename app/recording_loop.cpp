#include "app/recording_loop.h"

#include <optional>

#include "app/form1.h"
#include "app/recording_view.h"
#include "base/message.h"

namespace lumavex {
namespace {

// The controls first, then the message, if any: a halted timer must already
// be off while the message box runs its modal loop.
void ShowOutcome(Form1& form, const std::optional<UserMessage>& message) {
  ShowRecordingControls(form);
  if (message) ShowMessage(message->text, message->icon);
}

}  // namespace

void StartRecording(Form1& form) { ShowOutcome(form, form.recorder.Start(ReadRecorderOptions(form))); }

void CaptureFrame(Form1& form) { ShowOutcome(form, form.recorder.Tick(ReadRecorderOptions(form))); }

void PauseRecording(Form1& form) { ShowOutcome(form, form.recorder.Pause()); }

void StopRecording(Form1& form) { ShowOutcome(form, form.recorder.Stop()); }

void ResetFrameCounter(Form1& form) {
  form.recorder.Reset();
  ShowOutcome(form, std::nullopt);
}

void EndRecordingOnClose(Form1& form) { form.recorder.Stop(kStopForClose); }

}  // namespace lumavex
