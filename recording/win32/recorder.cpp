#include "recording/win32/recorder.h"

#include "base/path.h"
#include "base/utf8.h"
#include "discovery/win32/discovery.h"
#include "imaging/time_stamp.h"
#include "imaging/win32/capture.h"
#include "platform/files.h"
#include "platform/foreign_window.h"
#include "recording/recording_members.h"
#include "recording/win32/locale_clock.h"
#include "recording/win32/recorded_window.h"
#include "recording/win32/unended_recordings.h"

namespace lumavex {
namespace {

// How often a recording asks for a free folder name before it gives up: far
// more recordings than could start in one second.
constexpr int kFolderAttempts = 1000;

RecordingMoment Now() { return ReadRecordingClock(); }

}  // namespace

Recorder::Recorder(RecorderView& view) : view_(view) { state_.SetLog(this); }

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
    // The recording just ended (if any) closed its video with its stop line
    // (Record): it is no unended one.
    RepairUnendedRecordings(state_.SavePath(), request.at.utc);
    FollowRow(options.row);
    gaps_.Clear();
    message = ClaimFolder(request.at);
    pruneSchedule_.Begin();
    LookAfterDisk(options, request.at);
    if (state_.Active()) video_.Begin(state_.IntervalMs(), options.segmentSeconds);
  }
  EndVideoIfEnded();
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
  LookAfterDisk(options, now);
  const TickPlan plan = state_.BeginTick(options.row.selected, now);
  std::optional<UserMessage> message = plan.message;
  // A locked session is never a lost window: the window is not looked at.
  if (plan.due && SessionAllowsFrames(now)) {
    WindowLook look;
    if (const HWND window = WindowToRecord(options, now, look)) {
      const std::string savePath = state_.SavePath();
      // Below the reserve the recording halts only when nothing more may go.
      state_.HoldAtReserve(options.keep.Any() && (pruner_.Busy() || !pruneSchedule_.ReserveExhausted()));
      message = state_.BeforeCapture(now, [&] { return FreeSpaceOfVolume(savePath); });
      if (!message && state_.FrameCleared()) message = TakeAndWrite(options, window, look);
      if (!message && !state_.FrameCleared()) LookAfterDisk(options, now);
    }
  }
  if (!state_.Active()) source_->Release();
  EndVideoIfEnded();
  KeepAwakeWhileOpen();
  ShowWaiting();
  return message;
}

// A recording that ended (or paused) ends its video file; the next frame
// begins a new one.
void Recorder::EndVideoIfEnded() {
  if (!state_.Active() || state_.Paused()) video_.EndFile();
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
  probe_.Forget();
  rowWindow_ = row.window;
  rowTitle_ = row.title;
  window_ = row.window;
}

// The window to take this frame from: the selected row's, unless it is the
// row of the last tick and its window was found again under a new handle.
// While it is gone the recording waits, looking for a visible, non-minimised
// window with exactly its title that passes the webcam test, and touching
// none that fails. Null while waiting.
HWND Recorder::WindowToRecord(const RecorderOptions& options, const RecordingMoment& now, WindowLook& look) {
  if (options.row.window != rowWindow_ || options.row.title != rowTitle_) {
    FollowRow(options.row);
    state_.FollowTitle(options.row.title);
  }
  look = LookAtWindow(window_);
  if (!look.recordable) {
    state_.WindowLost(now);
    ShowWaiting();
    const HWND found = FindWebcamWindowByTitle(state_.RecordedTitle());
    if (!found) return nullptr;
    window_ = found;
    look = LookAtWindow(found);
    if (!look.recordable) return nullptr;
    // The time it was found, not the tick's: the search took its time.
    state_.WindowBack(Now());
    return window_;
  }
  state_.WindowBack(now);
  return window_;
}

// Whether the recorded window's program answers, asked afresh at every tick
// without waiting for it; times.csv says when that changes. True when it
// answered every question asked so far, so a request handed to it now is
// taken up at once.
bool Recorder::ListenToWindow(HWND window, const RecordingMoment& now) {
  const bool allAnswered = !probe_.UnansweredMs(window);
  state_.WindowAnswers(!SystemCallsHung(window) && !probe_.Silent(window), now);
  probe_.Ask(window);
  return allAnswered && !state_.WindowHung();
}

// Takes the frame, stamps it, writes its files and shows it; reports
// exactly one outcome to the state and returns the message the tick must
// show, if any.
std::optional<UserMessage> Recorder::TakeAndWrite(const RecorderOptions& options, HWND window,
                                                  WindowLook look) {
  // Handed to the window's thread, and only while it takes what it is handed:
  // a program that does not answer is recorded from the screen as it stands,
  // and is not sent a request at every tick.
  const bool takesRequests = ListenToWindow(window, Now());
  const bool restore = look.minimised && takesRequests;
  const bool raise = options.keepOnTop && !look.topmost && takesRequests;  // asked only when needed
  if (restore) RestoreWithoutWaiting(window);
  if (raise) MakeTopmostWithoutWaiting(window);
  if (restore || raise) TakesMessagesWithin(window);
  // A window still minimised gives no picture: the source says so, and the
  // gap is logged as hidden.
  if (restore) look = LookAtWindow(window);

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
  FrameToWrite frame{Bgr24Source{pixels.bits, pixels.stride, pixels.width, pixels.height},
                     state_.FramePathsFor(), state_.NumbersReused()};
  frame.slot = state_.FrameSlot();
  std::uint64_t bytes = 0;
  UserMessage failure;
  bool written = true;
  // A video turned off ends its file; turned on again, the next frame
  // begins one.
  if (!options.video) video_.EndFile();
  for (const OutputChoice& choice : outputs_) {
    if (!written || !(options.*choice.on)) continue;
    if (choice.takesJpeg && frame.jpeg == nullptr) written = encoder_.Encode(frame, failure);
    if (written) written = choice.output->Write(frame, bytes, failure);
  }

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
  pruneSchedule_.Written(bytes);
  return std::nullopt;
}

std::optional<UserMessage> Recorder::Pause() {
  std::optional<UserMessage> message = EndVideoOrHalt();
  if (!message) state_.Pause(Now());
  EndVideoIfEnded();
  ShowWaiting();
  return message;
}

std::optional<UserMessage> Recorder::Stop(const std::string& why) {
  // What a running sweep deleted is written before the stop line.
  if (const std::optional<SweepOutcome> outcome = pruner_.Finish(true)) TakeSweep(*outcome);
  std::optional<UserMessage> message = EndVideoOrHalt();
  if (!message) state_.Stop(Now(), why);
  source_->Release();
  EndVideoIfEnded();
  KeepAwakeWhileOpen();
  ShowWaiting();
  return message;
}

// A video whose end cannot be written is a write that failed: the recording
// halts, as it does when a frame cannot be written.
std::optional<UserMessage> Recorder::EndVideoOrHalt() {
  if (!state_.Active() || video_.OpenPath().empty()) return std::nullopt;
  const std::string path = video_.OpenPath();
  if (video_.EndFile()) return std::nullopt;
  const UserMessage message{"Failed to save into the video:\r\n" + path, MessageIcon::Exclamation};
  state_.FrameFailed(message, Now());
  return message;
}

// The video ends before the recording's end line, and a file whose end could
// not be written is named just before it: the next Start repairs it
// (recording/recording_end.h).
void Recorder::Record(const TimesRecord& record) {
  if (record.event == TimesEvent::Stop || record.event == TimesEvent::Halt) {
    video_.EndFile();
    for (const std::string& path : video_.TakeUnfinished())
      files_.Record(
          TimesRecord{record.time, TimesEvent::Unfinished, std::nullopt, std::string(NameInPath(path))});
  }
  files_.Record(record);
}

void Recorder::Reset() {
  state_.ResetFrameCounter(Now());
  ShowWaiting();
}

void Recorder::LookAfterDisk(const RecorderOptions& options, const RecordingMoment& now) {
  if (const std::optional<SweepOutcome> outcome = pruner_.TakeIfDone()) TakeSweep(*outcome);
  if (!state_.Active() || pruner_.Busy()) return;
  if (!pruneSchedule_.Due(now.steadyMs, options.keep, state_.FreeSpaceEstimate())) return;
  SweepRequest request;
  request.savePath = state_.SavePath();
  request.openFolder = state_.RecordingFolder();
  const std::string jpg = state_.FramePathsFor().jpg;
  if (const std::optional<NumberedName> name = SplitNumberedName(NameInPath(jpg))) {
    request.openPrefix = std::string(name->prefix);
    if (options.video) request.openVideosFrom = name->number;
  }
  if (const std::optional<NumberedName> name = SplitNumberedName(NameInPath(video_.OpenPath())))
    request.openVideosFrom = name->number;
  request.limits = options.keep;
  request.nowMs = UtcMilliseconds(now.utc);
  if (pruner_.Start(std::move(request))) pruneSchedule_.SweepStarted(now.steadyMs);
}

void Recorder::TakeSweep(const SweepOutcome& outcome) {
  pruneSchedule_.SweepDone(outcome.totalAfter, outcome.reserveExhausted);
  if (outcome.pruned.empty()) return;
  const CalendarTime at = Now().utc;
  for (const std::string& detail : outcome.pruned)
    files_.Record(TimesRecord{at, TimesEvent::Pruned, std::nullopt, OneLine(detail)});
  state_.DiskChanged();
}

void Recorder::WaitForPruning() {
  if (const std::optional<SweepOutcome> outcome = pruner_.Finish(false)) TakeSweep(*outcome);
}

void Recorder::End() {
  // A sweep that outlives its recording has its lines in that recording's log.
  if (const std::optional<SweepOutcome> outcome = pruner_.Finish(true)) TakeSweep(*outcome);
  files_.End();
}

void Recorder::ShowWaiting() { view_.ShowWaiting(state_.Waiting() ? state_.RecordedTitle() : std::string()); }

}  // namespace lumavex
