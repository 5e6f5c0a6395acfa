#include "app/recording_loop.h"

#include <optional>

#include "app/form1.h"
#include "app/recording_view.h"
#include "discovery/win32/discovery.h"
#include "imaging/win32/capture.h"
#include "imaging/win32/dib_section.h"
#include "imaging/win32/jpeg_frame_writer.h"
#include "imaging/win32/picture_bmp.h"
#include "base/file.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "recording/win32/locale_clock.h"
#include "base/message.h"
#include "platform/picture.h"
#include "platform/picture_view.h"

namespace lumavex {
namespace {

constexpr int kJpegQuality = 70;

// The save folder as typed now, with its volume's free space when the
// platform can tell it (a missing folder cannot; its failure shows later).
SaveFolder ReadSaveFolder(const Form1& form) {
  const std::string path = ControlText(form.txtPath);
  return SaveFolder{path, FreeSpaceOfVolume(path)};
}

// Writes the state's controls back to the window, then shows the message,
// if any: a halted timer must already be off while the message box runs its
// modal loop.
void ShowOutcome(Form1& form, const std::optional<UserMessage>& message) {
  ShowRecordingControls(form, form.recording.Controls());
  if (message) ShowMessage(message->text, message->icon);
}

// The capturing part of a tick; reports exactly one outcome to the state and
// returns the message the tick must show, if any.
std::optional<UserMessage> CaptureAndWrite(Form1& form, const SelectedWebcam& row,
                                           const std::string& savePath) {
  RecordingState& state = form.recording;
  // A closed window has no rectangle; capturing anyway would record whatever
  // lies at the screen's corner.
  if (!::IsWindow(row.window)) return state.WindowClosed();
  if (::IsIconic(row.window)) ::ShowWindow(row.window, SW_RESTORE);
  if (CheckValue(form.windowtop) == 1) SetWindowTopmost(row.window, true);

  const PaneRect pane = CurrentPaneRect(row.window);
  const Picture picture = CaptureWindow(nullptr, pane.left, pane.top, pane.width, pane.height);
  if (!picture) {
    // CaptureWindow has told the user already; halt as after a failed JPEG
    // write rather than stack up one message per tick.
    state.FrameFailed();
    return std::nullopt;
  }

  const FramePaths paths = state.FramePathsFor(savePath, row.title);
  if (CheckValue(form.cbbmp) == 1 && !SavePicture(picture.get(), paths.bmp))
    return state.BmpFailed(paths.bmp);

  // Painted between ticks, with the window's next paint.
  SetViewPicture(form.Picture1, picture, Repaint::WithNextPaint);
  SetViewPicture(form.Image1, picture, Repaint::WithNextPaint);

  if (CheckValue(form.cbjpg) == 1) {
    cDIBSection section;
    section.CreateFromPicture(picture.get());
    // A frame of this number from before a Reset goes first, even if this
    // write fails; a missing file is no error here.
    RemoveFileUtf8(paths.jpg);
    // On failure the writer has shown its own warning.
    if (!SavePictureAsJpeg(section, paths.jpg, kJpegQuality)) {
      state.FrameFailed();
      return std::nullopt;
    }
  }
  state.FrameWritten();
  return std::nullopt;
}

}  // namespace

void StartRecording(Form1& form) {
  const SelectedWebcam row = ReadSelectedWebcam(form.List1);
  const SaveFolder save = ReadSaveFolder(form);
  const StartOutcome outcome =
      form.recording.StartRecording(row.selected, row.title, CurrentLocalTime(), UserLocaleNames(), save);
  std::optional<UserMessage> message = outcome.message;
  if (outcome.started) {
    const std::string folder = form.recording.RecordingFolderPath(save.path);
    // One level only: the save folder itself must exist. An existing folder
    // (or file) of that name is used as it is.
    if (!PathExists(folder) && !MakeDirectory(folder)) message = form.recording.FolderCreationFailed(folder);
  }
  ShowOutcome(form, message);
}

void CaptureFrame(Form1& form) {
  // A message box of this tick runs a modal loop that delivers further ticks;
  // they are dropped until this one has ended.
  TickGuard guard(form.recording);
  if (!guard.entered()) return;
  const SelectedWebcam row = ReadSelectedWebcam(form.List1);
  const SaveFolder save = ReadSaveFolder(form);
  const TickPlan plan = form.recording.BeginTick(row.selected, save.freeBytes);
  std::optional<UserMessage> message = plan.message;
  if (plan.capture) message = CaptureAndWrite(form, row, save.path);
  ShowOutcome(form, message);
}

void HaltRecording(Form1& form) {
  form.recording.HaltRecording();
  ShowOutcome(form, std::nullopt);
}

void ResetFrameCounter(Form1& form) {
  form.recording.ResetFrameCounter();
  ShowOutcome(form, std::nullopt);
}

}  // namespace lumavex
