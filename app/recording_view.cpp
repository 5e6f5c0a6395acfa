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

// Three questions to another process's window, each a round trip to the
// window server under Wine, where GetWindowInfo asks more.
WindowLook LookAtWindow(HWND window) {
  WindowLook look;
  // A window that is gone has no style: no WS_VISIBLE, as a hidden one.
  const LONG_PTR style = window ? ::GetWindowLongPtrW(window, GWL_STYLE) : 0;
  RECT r{};
  if (!(style & WS_VISIBLE) || !::GetWindowRect(window, &r)) return look;
  look.recordable = true;
  look.minimised = (style & WS_MINIMIZE) != 0;
  look.topmost = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  look.pane = PaneOf(r);
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
