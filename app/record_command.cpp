#include "app/record_command.h"

#include <windows.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app/form1.h"
#include "app/settings_file.h"
#include "base/message.h"
#include "commandline/exit_codes.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "recording/recording_settings.h"

namespace lumavex {
namespace {

using Clock = std::chrono::steady_clock;

// Runs the window's messages until `deadline` or the end of the program's
// message loop (the window was closed). False when it ended.
bool Pump(Clock::time_point deadline) {
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return false;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return true;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 100 ? left : 100), QS_ALLINPUT);
  }
}

// Closes the window and lets it end the message loop.
void CloseWindow(Form1& form) {
  if (!::IsWindow(form.hwnd())) return;
  ::PostMessageW(form.hwnd(), WM_CLOSE, 0, 0);
  while (Pump(Clock::now() + std::chrono::seconds(1))) {
  }
}

}  // namespace

int RunRecord(const RecordCommand& command, const ConsoleOutput& console) {
  // What the window would say in a message box goes to standard error.
  SetMessageHandler([&console](const std::string& text, MessageIcon) { console.Err(text + "\n"); });
  std::unique_ptr<Form1> form = Form1::Create(true);
  if (!form) {
    console.Err("Lumavex could not open its main window.\n");
    return kExitFailed;
  }
  if (command.saveTo) SetControlText(form->txtPath, *command.saveTo);
  SetChecked(form->cbjpg, command.jpg);
  SetChecked(form->cbbmp, command.bmp);
  RecordingSettings settings;
  // An unattended recording looks after its disk as settings.ini says.
  settings.keepDays = form->captureMenu.Settings().keepDays;
  settings.keepMegabytes = form->captureMenu.Settings().keepMegabytes;
  if (command.intervalMs) settings.intervalMs = *command.intervalMs;
  settings.stampTime = command.stamp;
  settings.video = command.video;
  // settings.ini's alone, as no menu item sets it.
  settings.segmentSeconds = LoadRecordingSettings().segmentSeconds;
  form->captureMenu.UseForThisRun(settings);

  const Clock::time_point start = Clock::now();
  const Clock::time_point end =
      start + std::chrono::milliseconds(command.durationMs ? *command.durationMs : kFindWindowMs);
  // The window may not be there yet: it is looked for twice a second.
  HWND window = nullptr;
  while (!(window = FindWebcamWindowByTitle(command.title))) {
    if (Clock::now() >= end || !Pump(std::min(end, Clock::now() + std::chrono::milliseconds(500)))) {
      console.Err("No window titled \"" + command.title + "\" showing a webcam picture appeared.\n");
      CloseWindow(*form);
      return kExitFailed;
    }
  }
  form->RecordWindow(WebcamRow{true, command.title, window});
  const RecordingState& state = form->recorder.State();
  if (!state.Active()) {
    CloseWindow(*form);
    return kExitFailed;  // the refusal has been said
  }

  // Until its time is over, or it ends: Stop, a closed window, or by itself.
  const Clock::time_point stopAt = command.durationMs ? end : Clock::time_point::max();
  while (state.Active()) {
    if (!Pump(std::min(stopAt, Clock::now() + std::chrono::milliseconds(200)))) return kExitDone;
    if (Clock::now() >= stopAt) {
      // A video whose end cannot be written halts the recording, and is said.
      if (const std::optional<UserMessage> message = form->recorder.Stop())
        ShowMessage(message->text, message->icon);
      break;
    }
  }
  const bool endedByItself = state.LastEnd() == RecordingEnd::Halted;
  CloseWindow(*form);
  return endedByItself ? kExitFailed : kExitDone;
}

}  // namespace lumavex
