#include "app/recording_view.h"

#include <algorithm>

#include "app/form1.h"
#include "base/path.h"
#include "platform/controls.h"
#include "platform/picture_view.h"
#include "recording/win32/locale_clock.h"

namespace lumavex {

WebcamRow ReadSelectedWebcam(HWND list) {
  WebcamRow row;
  const int index = ListSelected(list);
  if (index < 0) return row;
  row.selected = true;
  row.title = ListText(list, index);
  row.window = reinterpret_cast<HWND>(ListData(list, index));
  return row;
}

RecorderOptions ReadRecorderOptions(const Form1& form) {
  RecorderOptions options;
  options.row = form.RecordedRow();
  options.jpg = CheckValue(form.cbjpg) == 1;
  options.bmp = CheckValue(form.cbbmp) == 1;
  options.keepOnTop = CheckValue(form.windowtop) == 1;
  options.stamp = form.captureMenu.Settings().stampTime;
  options.intervalMs = form.captureMenu.Settings().intervalMs;
  options.keep = form.captureMenu.Settings().Keep();
  options.video = form.captureMenu.Settings().video;
  options.segmentSeconds = form.captureMenu.Settings().segmentSeconds;
  // A path pasted with quotes around it ("Copy as path") is taken without.
  options.saveFolder = PathFromBox(ControlText(form.txtPath));
  return options;
}

void ShowRecordingControls(Form1& form) {
  const RecordingState& state = form.recorder.State();
  if (const std::optional<std::int64_t> due = state.NextDueMs()) {
    const std::int64_t left = std::clamp<std::int64_t>(*due - SteadyMilliseconds(), 1, 0x7FFFFFFF);
    form.Timer1.SetInterval(static_cast<UINT>(left));
    if (!form.Timer1.Enabled()) form.Timer1.SetEnabled(true);
  } else if (form.Timer1.Enabled()) {
    form.Timer1.SetEnabled(false);
  }
  const RecordingPhase phase = state.Phase();
  // A recording that ended for want of a row keeps its buttons.
  const bool taking = phase == RecordingPhase::Running || phase == RecordingPhase::Waiting ||
                      phase == RecordingPhase::EndedWithoutRow;
  EnableControl(form.Start, phase == RecordingPhase::Idle || phase == RecordingPhase::Paused);
  EnableControl(form.btstop, taking || phase == RecordingPhase::Paused);
  EnableControl(form.pause, taking);
  EnableControl(form.reset, state.StartedOnce());
  const std::string text1 = state.LastFrame() ? std::to_string(*state.LastFrame()) : std::string();
  if (ControlText(form.Text1) != text1) SetControlText(form.Text1, text1);
  // A recording keeps its interval to its end.
  form.captureMenu.LockInterval(state.Active());
}

void FormRecorderView::ShowFrame(const Picture& picture) {
  // Painted between ticks, with the window's next paint.
  SetViewPicture(form_.Picture1, picture, Repaint::WithNextPaint);
  SetViewPicture(form_.Image1, picture, Repaint::WithNextPaint);
}

void FormRecorderView::ShowWaiting(const std::string& title) {
  // Every waiting tick comes here: the text is set only when it changes.
  if (title == waitingFor_) return;
  waitingFor_ = title;
  if (!title.empty())
    SetViewText(form_.Image1, "Waiting for " + title);
  else if (!ControlText(form_.Image1).empty())
    SetViewText(form_.Image1, "");
}

}  // namespace lumavex
