#include "app/recording_view.h"

#include <algorithm>

#include "app/form1.h"
#include "discovery/win32/system_frame_metrics.h"
#include "platform/controls.h"
#include "recording/win32/locale_clock.h"

namespace lumavex {
namespace {

PaneRect PaneOf(const RECT& r) {
  return WebcamPaneRect(ScreenRect{r.left, r.top, r.right, r.bottom}, SystemFrameMetrics());
}

}  // namespace

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
  return PaneOf(r);
}

WindowLook LookAtWindow(HWND window) {
  WindowLook look;
  WINDOWINFO info{};
  info.cbSize = sizeof info;
  // Gone (or never a window) fails here; a hidden one has no WS_VISIBLE.
  if (!window || !::GetWindowInfo(window, &info)) return look;
  look.recordable = (info.dwStyle & WS_VISIBLE) != 0;
  look.minimised = (info.dwStyle & WS_MINIMIZE) != 0;
  look.topmost = (info.dwExStyle & WS_EX_TOPMOST) != 0;
  look.pane = PaneOf(info.rcWindow);
  return look;
}

void ShowRecordingControls(Form1& form, const RecordingControls& controls) {
  if (controls.timer1Enabled) {
    const std::int64_t left =
        std::clamp<std::int64_t>(controls.timer1DueMs - SteadyMilliseconds(), 1, 0x7FFFFFFF);
    form.Timer1.SetInterval(static_cast<UINT>(left));
    if (!form.Timer1.Enabled()) form.Timer1.SetEnabled(true);
  } else if (form.Timer1.Enabled()) {
    form.Timer1.SetEnabled(false);
  }
  EnableControl(form.Start, controls.startEnabled);
  EnableControl(form.btstop, controls.btstopEnabled);
  EnableControl(form.pause, controls.pauseEnabled);
  EnableControl(form.reset, controls.resetEnabled);
  if (ControlText(form.Text1) != controls.text1) SetControlText(form.Text1, controls.text1);
}

}  // namespace lumavex
