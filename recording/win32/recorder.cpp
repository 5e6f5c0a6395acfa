#include "recording/win32/recorder.h"

#include "base/path.h"
#include "base/utf8.h"
#include "discovery/win32/discovery.h"
#include "imaging/time_stamp.h"
#include "imaging/win32/capture.h"
#include "platform/files.h"
#include "recording/win32/locale_clock.h"
#include "recording/win32/recorded_window.h"

namespace lumavex {
namespace {

// How often a recording asks for a free folder name before it gives up: far
// more recordings than could start in one second.
constexpr int kFolderAttempts = 1000;

RecordingMoment Now() { return ReadRecordingClock(); }

}  // namespace

Recorder::Recorder(RecorderView& view) : view_(view) { state_.SetLog(&files_); }

std::optional<UserMessage> Recorder::Start(const RecorderOptions& options) {
  StartRequest request;
  request.hasSelectedRow = options.row.selected;
  request.rowTitle = options.row.title;
  request.at = Now();
  request.intervalMs = options.intervalMs;
  // A paused recording resumes in its folder: nothing else is read.
  if (options.row.selected && !state_.Paused()) {
    request.localTime = CurrentLocalTime();
    request.names = UserLocaleNames();
    request.save = SaveFolder{options.saveFolder, FreeSpaceOfVolume(options.saveFolder)};
  }
  const StartOutcome outcome = state_.StartRecording(request);
  std::optional<UserMessage> message = outcome.message;
  if (outcome.kind == StartKind::NewRecording) {
    FollowRow(options.row);
    gaps_.Clear();
    message = ClaimFolder(request.at);
  }
  KeepAwakeWhileOpen();
  ShowWaiting();
  return message;
}

// Makes the recording's folder under its save folder: the first name of
// FolderName(1), FolderName(2), ... that no folder or file has yet. Making
// it is the claim, so two recordings (two instances of the program) started
// in the same second never share one.
std::optional<UserMessage> Recorder::ClaimFolder(const RecordingMoment& at) {
  std::string path = JoinPath(state_.SavePath(), state_.FolderName(1).value_or(""));
  for (int attempt = 1; attempt <= kFolderAttempts; ++attempt) {
    const std::optional<std::string> name = state_.FolderName(attempt);
    if (!name) break;
    path = JoinPath(state_.SavePath(), *name);
    if (::CreateDirectoryW(Widen(path).c_str(), nullptr)) {
      files_.Begin(path);
      jpegPlacer_.UseScratchFolder(files_.ScratchFolder());
      bmpPlacer_.UseScratchFolder(files_.ScratchFolder());
      state_.FolderClaimed(attempt, at);
      return std::nullopt;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  return state_.FolderCreationFailed(path);
}

std::optional<UserMessage> Recorder::Tick(const RecorderOptions& options) {
  // A message box of this tick runs a modal loop that delivers further ticks;
  // they are dropped until this one has ended.
  TickGuard guard(state_);
  if (!guard.entered()) return std::nullopt;
  const RecordingMoment now = Now();
  const TickPlan plan = state_.BeginTick(options.row.selected, now);
  std::optional<UserMessage> message = plan.message;
  // A locked session is never a lost window: the window is not looked at.
  if (plan.due && SessionAllowsFrames(now)) {
    WindowLook look;
    if (const HWND window = WindowToRecord(options, now, look)) {
      const std::string savePath = state_.SavePath();
      message = state_.BeforeCapture(now, [&] { return FreeSpaceOfVolume(savePath); });
      if (!message) message = TakeAndWrite(options, window, look);
    }
  }
  if (!state_.Active()) source_->Release();
  KeepAwakeWhileOpen();
  ShowWaiting();
  return message;
}

bool Recorder::SessionAllowsFrames(const RecordingMoment& now) {
  const bool locked = session_.Locked();
  Note(gaps_.Session(locked), now);
  return !locked;
}

void Recorder::Note(const std::optional<GapLine>& line, const RecordingMoment& at) {
  if (line) state_.Note(line->event, at, line->detail);
}

void Recorder::KeepAwakeWhileOpen() {
  if (state_.Active() && !awake_) awake_.emplace();
  if (!state_.Active()) awake_.reset();
}

void Recorder::FollowRow(const WebcamRow& row) {
  rowWindow_ = row.window;
  rowTitle_ = row.title;
  window_ = row.window;
}

// The window to take this frame from: the selected row's, unless it is the
// row of the last tick and its window was found again under a new handle.
// While it is gone the recording waits, looking for a visible window with
// exactly its title that passes the webcam test. Null while waiting.
HWND Recorder::WindowToRecord(const RecorderOptions& options, const RecordingMoment& now, WindowLook& look) {
  if (options.row.window != rowWindow_ || options.row.title != rowTitle_) {
    FollowRow(options.row);
    state_.FollowTitle(options.row.title);
  }
  look = LookAtWindow(window_);
  if (!look.recordable) {
    state_.WindowLost(now);
    ShowWaiting();
    const HWND found = FindWebcamWindowByTitle(state_.RecordedTitle(), options.keepOnTop);
    if (!found) return nullptr;
    window_ = found;
    look = LookAtWindow(found);
    if (!look.recordable) return nullptr;
  }
  state_.WindowBack(now);
  return window_;
}

// Takes the frame, stamps it, writes its files and shows it; reports
// exactly one outcome to the state and returns the message the tick must
// show, if any.
std::optional<UserMessage> Recorder::TakeAndWrite(const RecorderOptions& options, HWND window,
                                                  WindowLook look) {
  if (look.minimised) {
    ::ShowWindow(window, SW_RESTORE);
    look = LookAtWindow(window);
  }
  // Asked of the system only when it is not topmost already.
  if (options.keepOnTop && !look.topmost) SetWindowTopmost(window, true);

  const RecordingMoment taken = Now();  // the frame's time is its copy's
  const Shot shot = source_->Take(window, look);
  if (shot.kind == ShotKind::Failed) {
    const UserMessage reason{CaptureErrorMessage("CaptureWindow", static_cast<long>(shot.error)),
                             MessageIcon::None};
    state_.FrameFailed(reason, Now());
    return reason;
  }
  // A window that closed while its pane was copied left something else on
  // the screen there: no frame of that, the recording waits instead.
  if (!::IsWindowVisible(window)) {
    state_.WindowLost(taken);
    return std::nullopt;
  }
  // No frame for this slot, and never a black one; said once per gap.
  if (shot.kind == ShotKind::ScreenRefused) {
    Note(gaps_.ScreenUncopyable(), taken);
    return std::nullopt;
  }
  if (shot.kind == ShotKind::NoPicture) {
    Note(gaps_.NoPicture(shot.why), taken);
    return std::nullopt;
  }
  if (options.stamp) {
    // The instant times.csv gives the frame, in local time.
    DrawTimeStamp(source_->Pixels(), true,
                  FormatStampText(LocalTimeOf(taken.utc), StampShowsTenths(state_.IntervalMs())));
  }

  const Bgr24Target pixels = source_->Pixels();
  const FrameToWrite frame{Bgr24Source{pixels.bits, pixels.stride, pixels.width, pixels.height},
                           state_.FramePathsFor(), state_.NumbersReused()};
  std::uint64_t bytes = 0;
  UserMessage failure;
  bool written = true;
  for (const OutputChoice& choice : outputs_)
    if (written && options.*choice.on) written = choice.output->Write(frame, bytes, failure);

  // Painted between ticks, with the window's next paint.
  view_.ShowFrame(source_->TakePicture());

  if (!written) {
    // A folder that went away fails every write; say that rather than guess
    // at the disk.
    const std::string folder = state_.RecordingFolderPath();
    if (!DirectoryExists(folder)) failure = FolderGoneMessage(folder);
    state_.FrameFailed(failure, Now());
    return failure;
  }
  for (const GapLine& line : gaps_.FrameTaken()) state_.Note(line.event, taken, line.detail);
  state_.FrameWritten(taken, bytes);
  return std::nullopt;
}

void Recorder::Pause() {
  state_.Pause(Now());
  ShowWaiting();
}

void Recorder::Stop(const std::string& why) {
  state_.Stop(Now(), why);
  source_->Release();
  KeepAwakeWhileOpen();
  ShowWaiting();
}

void Recorder::Reset() {
  state_.ResetFrameCounter(Now());
  ShowWaiting();
}

void Recorder::ShowWaiting() { view_.ShowWaiting(state_.Waiting() ? state_.RecordedTitle() : std::string()); }

}  // namespace lumavex
