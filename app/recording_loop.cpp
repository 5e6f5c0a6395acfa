#include "app/recording_loop.h"

#include <optional>
#include <string>

#include "app/form1.h"
#include "app/recording_view.h"
#include "base/file.h"
#include "base/message.h"
#include "base/path.h"
#include "base/utf8.h"
#include "discovery/win32/discovery.h"
#include "imaging/bmp_writer.h"
#include "imaging/image_jpeg.h"
#include "imaging/time_stamp.h"
#include "imaging/win32/capture.h"
#include "imaging/win32/jpeg_frame_writer.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/picture_view.h"
#include "recording/win32/locale_clock.h"

namespace lumavex {
namespace {

constexpr int kJpegQuality = 70;
// How often a recording asks for a free folder name before it gives up: far
// more recordings than could start in one second.
constexpr int kFolderAttempts = 1000;

RecordingMoment Now() { return ReadRecordingClock(); }

// Writes the state's controls back to the window, then shows the message,
// if any: a halted timer must already be off while the message box runs its
// modal loop.
void ShowOutcome(Form1& form, const std::optional<UserMessage>& message) {
  ShowRecordingControls(form, form.recording.Controls());
  form.captureMenu.LockInterval(form.recording.Active());
  // A recording that ended while it waited waits no more.
  if (!form.recording.Waiting() && !ControlText(form.Image1).empty()) SetViewText(form.Image1, "");
  if (message) ShowMessage(message->text, message->icon);
}

// Makes the recording's folder under its save folder: the first name of
// FolderName(1), FolderName(2), ... that no folder or file has yet. Making
// it is the claim, so two recordings (two instances of the program) started
// in the same second never share one.
std::optional<UserMessage> ClaimFolder(Form1& form, const RecordingMoment& at) {
  RecordingState& state = form.recording;
  std::string path = JoinPath(state.SavePath(), state.FolderName(1).value_or(""));
  for (int attempt = 1; attempt <= kFolderAttempts; ++attempt) {
    const std::optional<std::string> name = state.FolderName(attempt);
    if (!name) break;
    path = JoinPath(state.SavePath(), *name);
    if (::CreateDirectoryW(Widen(path).c_str(), nullptr)) {
      form.session.Begin(path);
      state.FolderClaimed(attempt, at);
      return std::nullopt;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return state.FolderCreationFailed(path);
}

// The preview says what the recording waits for; set only when it changes,
// as every waiting tick comes here.
void ShowWaiting(Form1& form) {
  const std::string text = "Waiting for " + form.recording.RecordedTitle();
  if (ControlText(form.Image1) != text) SetViewText(form.Image1, text);
}

// The window to take this frame from: the selected row's, unless it is the
// row of the last tick and its window was found again under a new handle.
// While it is gone the recording waits, looking for a visible window with
// exactly its title that passes the webcam test. Null while waiting.
HWND WindowToRecord(Form1& form, const SelectedWebcam& row, const RecordingMoment& now, WindowLook& look) {
  RecordingSession& session = form.session;
  RecordingState& state = form.recording;
  if (!session.Follows(row.window, row.title)) {
    session.FollowRow(row.window, row.title);
    state.FollowTitle(row.title);
  }
  look = LookAtWindow(session.window);
  if (!look.recordable) {
    state.WindowLost(now);
    ShowWaiting(form);
    const HWND found = FindWebcamWindowByTitle(state.RecordedTitle(), CheckValue(form.windowtop) == 1);
    if (!found) return nullptr;
    session.window = found;
    look = LookAtWindow(found);
    if (!look.recordable) return nullptr;
  }
  state.WindowBack(now);
  return session.window;
}

// Takes the frame from the screen, stamps it, writes its files and shows
// it; reports exactly one outcome to the state and returns the message the
// tick must show, if any.
std::optional<UserMessage> CaptureAndWrite(Form1& form, HWND window, WindowLook look) {
  RecordingState& state = form.recording;
  if (look.minimised) {
    ::ShowWindow(window, SW_RESTORE);
    look = LookAtWindow(window);
  }
  // Asked of the system only when it is not topmost already.
  if (CheckValue(form.windowtop) == 1 && !look.topmost) SetWindowTopmost(window, true);

  const RecordingMoment taken = ReadRecordingClock();  // the frame's time is its screen copy's
  ScreenFrame& frame = form.session.frame;
  DWORD error = 0;
  if (!frame.Grab(look.pane.left, look.pane.top, look.pane.width, look.pane.height, error)) {
    const UserMessage reason{CaptureErrorMessage("CaptureWindow", static_cast<long>(error)),
                             MessageIcon::None};
    state.FrameFailed(reason, Now());
    return reason;
  }
  // A window that closed while its pane was copied left something else on
  // the screen there: no frame of that, the recording waits instead.
  if (!::IsWindowVisible(window)) {
    state.WindowLost(taken);
    ShowWaiting(form);
    return std::nullopt;
  }
  if (form.captureMenu.Settings().stampTime) {
    // The instant times.csv gives the frame, in local time.
    DrawTimeStamp(frame.Pixels(), true,
                  FormatStampText(LocalTimeOf(taken.utc), StampShowsTenths(state.IntervalMs())));
  }

  const FramePaths paths = state.FramePathsFor();
  const Bgr24Source pixels = frame.ConstPixels();
  std::uint64_t bytes = 0;
  if (CheckValue(form.cbbmp) == 1) {
    // The section's rows are the BMP file's rows, pad bytes (zero) included.
    const std::vector<std::uint8_t> headers = Bmp24Headers(pixels.width, pixels.height);
    const std::size_t size = pixels.stride * static_cast<std::size_t>(pixels.height);
    if (headers.empty() ||
        !WriteWholeFile(paths.bmp, {{headers.data(), headers.size()}, {pixels.bits, size}})) {
      const UserMessage reason{"Failed to save to BMP:\r\n" + paths.bmp, MessageIcon::Exclamation};
      state.FrameFailed(reason, Now());
      return reason;
    }
    bytes += headers.size() + size;
  }
  bool jpegWritten = true;
  if (CheckValue(form.cbjpg) == 1) {
    // Only after a Reset can a frame of this number exist in a folder of its
    // own; it goes first, even if this write fails.
    if (state.NumbersReused()) RemoveFileUtf8(paths.jpg);
    const std::string& scratch = form.session.ScratchJpeg();
    if (scratch.empty()) {
      jpegWritten = WriteJpegFrame(pixels, paths.jpg, kJpegQuality);
      // At most the raw pixels: the estimate the disk reserve needs.
      bytes += pixels.stride * static_cast<std::size_t>(pixels.height);
    } else {
      // The library's encoder, then the bytes whole in the scratch file and
      // moved into place in one step: whole or not at all, as the library
      // writes, with one temporary fewer.
      jpeg::JpegOutputBuffer& encoded = form.session.jpeg;
      encoded.Clear();
      jpegWritten = EncodeBgr24Jpeg(pixels, true, kJpegQuality, encoded) &&
                    WriteWholeFile(scratch, {{encoded.data(), encoded.size()}}) &&
                    ReplaceWithFinished(scratch, paths.jpg);
      bytes += encoded.size();
    }
  }

  // Painted between ticks, with the window's next paint.
  const Picture picture = frame.TakePicture();
  SetViewPicture(form.Picture1, picture, Repaint::WithNextPaint);
  SetViewPicture(form.Image1, picture, Repaint::WithNextPaint);

  if (!jpegWritten) {
    const UserMessage reason{kJpegWriteFailedMessage, MessageIcon::Exclamation};
    state.FrameFailed(reason, Now());
    return reason;
  }
  state.FrameWritten(taken, bytes);
  return std::nullopt;
}

}  // namespace

void StartRecording(Form1& form) {
  RecordingState& state = form.recording;
  const SelectedWebcam row = ReadSelectedWebcam(form.List1);
  StartRequest request;
  request.hasSelectedRow = row.selected;
  request.rowTitle = row.title;
  request.at = Now();
  request.intervalMs = form.captureMenu.Settings().intervalMs;
  // A paused recording resumes in its folder: nothing else is read.
  if (row.selected && !state.Paused()) {
    request.localTime = CurrentLocalTime();
    request.names = UserLocaleNames();
    // Read here only: a running recording keeps the save folder it began in.
    // A path pasted with quotes around it ("Copy as path") is taken without.
    const std::string path = PathFromBox(ControlText(form.txtPath));
    request.save = SaveFolder{path, FreeSpaceOfVolume(path)};
  }
  const StartOutcome outcome = state.StartRecording(request);
  std::optional<UserMessage> message = outcome.message;
  if (outcome.kind == StartKind::NewRecording) {
    form.session.FollowRow(row.window, row.title);
    message = ClaimFolder(form, request.at);
  }
  if (state.Waiting()) ShowWaiting(form);
  ShowOutcome(form, message);
}

void CaptureFrame(Form1& form) {
  // A message box of this tick runs a modal loop that delivers further ticks;
  // they are dropped until this one has ended.
  TickGuard guard(form.recording);
  if (!guard.entered()) return;
  RecordingState& state = form.recording;
  const SelectedWebcam row = ReadSelectedWebcam(form.List1);
  const RecordingMoment now = Now();
  const TickPlan plan = state.BeginTick(row.selected, now);
  std::optional<UserMessage> message = plan.message;
  if (plan.due) {
    WindowLook look;
    if (const HWND window = WindowToRecord(form, row, now, look)) {
      const std::string savePath = state.SavePath();
      message = state.BeforeCapture(now, [&] { return FreeSpaceOfVolume(savePath); });
      if (!message) message = CaptureAndWrite(form, window, look);
    }
  }
  ShowOutcome(form, message);
}

void PauseRecording(Form1& form) {
  form.recording.Pause(Now());
  ShowOutcome(form, std::nullopt);
}

void StopRecording(Form1& form) {
  form.recording.Stop(Now());
  ShowOutcome(form, std::nullopt);
}

void ResetFrameCounter(Form1& form) {
  form.recording.ResetFrameCounter(Now());
  ShowOutcome(form, std::nullopt);
}

void EndRecordingOnClose(Form1& form) { form.recording.Stop(Now(), kStopForClose); }

}  // namespace lumavex
