#include "app/recording_view.h"

#include "app/form1.h"
#include "discovery/win32/system_frame_metrics.h"
#include "platform/controls.h"

namespace lumavex {

SelectedWebcam ReadSelectedWebcam(HWND list) {
  SelectedWebcam row;
  const int index = ListSelected(list);
  if (index < 0) return row;
  row.selected = true;
  row.title = ListText(list, index);
  row.window = reinterpret_cast<HWND>(ListData(list, index));
  return row;
}

PaneRect CurrentPaneRect(HWND window) {
  RECT r{};
  if (!::GetWindowRect(window, &r)) r = RECT{};
  return WebcamPaneRect(ScreenRect{r.left, r.top, r.right, r.bottom}, SystemFrameMetrics());
}

void ShowRecordingControls(Form1& form, const RecordingControls& controls) {
  const UINT interval = static_cast<UINT>(controls.timer1IntervalMs < 0 ? 0 : controls.timer1IntervalMs);
  if (form.Timer1.Interval() != interval) form.Timer1.SetInterval(interval);
  if (form.Timer1.Enabled() != controls.timer1Enabled) form.Timer1.SetEnabled(controls.timer1Enabled);
  EnableControl(form.Start, controls.startEnabled);
  EnableControl(form.btstop, controls.btstopEnabled);
  EnableControl(form.pause, controls.pauseEnabled);
  EnableControl(form.reset, controls.resetEnabled);
  if (ControlText(form.Text1) != controls.text1) SetControlText(form.Text1, controls.text1);
}

}  // namespace lumavex
