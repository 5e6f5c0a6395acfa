#include "recording/recording_state.h"

#include <algorithm>

#include "recording/frame_naming.h"
#include "recording/path_limits.h"
#include "recording/recording_members.h"

namespace lumavex {

namespace {

bool BelowReserve(std::optional<std::uint64_t> freeBytes) {
  return freeBytes && *freeBytes < kDiskReserveBytes;
}

std::string FolderSuffix(int attempt) { return attempt > 1 ? "_" + std::to_string(attempt) : std::string(); }

}  // namespace

StartOutcome RecordingState::StartRecording(const StartRequest& request) {
  if (!request.hasSelectedRow) {
    // A running recording with nothing to record from ends, as at a tick.
    if (active_ && !paused_) EndRecording(TimesEvent::Halt, kChooseWebcamMessage, request.at);
    timerOn_ = false;
    return StartOutcome{StartKind::Refused, UserMessage{kChooseWebcamMessage, MessageIcon::None}};
  }
  if (Paused()) {
    paused_ = false;
    // The volume may have filled meanwhile: it is asked before the next frame.
    freeSpace_.Forget();
    schedule_.Resume(request.at.steadyMs);
    Log(TimesEvent::Resume, request.at);
    ShowRunning(request.at);
    return StartOutcome{StartKind::Resumed, std::nullopt};
  }
  // Refused like a tick on a low disk: a running recording halts too.
  if (BelowReserve(request.save.freeBytes)) {
    if (active_) EndRecording(TimesEvent::Halt, kDiskLowMessage, request.at);
    HaltButtons();
    return StartOutcome{StartKind::Refused, UserMessage{kDiskLowMessage, MessageIcon::Exclamation}};
  }
  if (active_) EndRecording(TimesEvent::Stop, kStopForNewRecording, request.at);

  savePath_ = request.save.path;
  title_ = request.rowTitle;
  fullPrefix_ = FramePrefix(request.rowTitle);
  stamp_ = FormatRecordingTimestamp(request.localTime, request.names);
  intervalMs_ = request.intervalMs;
  freeSpace_.Forget();
  freeSpace_.Answer(request.save.freeBytes, request.at.steadyMs);
  const std::optional<std::string> name = FolderName(1);
  if (!name) {
    // The save folder alone is too long: no name would help.
    recordingFolder_ = SanitiseFileName(fullPrefix_ + stamp_);
    return StartOutcome{StartKind::Refused, FolderCreationFailed(RecordingFolderPath())};
  }
  // As the buttons go at Start: Reset stays usable if the folder fails.
  startedOnce_ = true;
  // The counter is left alone: a new folder continues the numbering.
  return StartOutcome{StartKind::NewRecording, std::nullopt};
}

std::optional<std::string> RecordingState::FolderName(int attempt) const {
  const std::string suffix = FolderSuffix(attempt);
  const std::optional<std::size_t> room = PrefixRoomAtStart(savePath_, stamp_ + suffix);
  if (!room) return std::nullopt;
  return SanitiseFileName(ShortenPrefix(fullPrefix_, *room) + stamp_ + suffix);
}

void RecordingState::FolderClaimed(int attempt, const RecordingMoment& at) {
  const std::optional<std::string> name = FolderName(attempt);
  if (!name) return;
  recordingFolder_ = *name;
  prefixRoom_ = PrefixRoomAtStart(savePath_, stamp_ + FolderSuffix(attempt)).value_or(0);
  active_ = true;
  paused_ = false;
  waiting_ = false;
  hung_ = false;
  numbersReused_ = false;
  skippedSlots_ = 0;
  schedule_.Start(at.steadyMs, intervalMs_);
  Log(TimesEvent::Start, at, "interval_ms=" + std::to_string(schedule_.IntervalMs()) + "; window=" + title_);
  ShowRunning(at);
}

std::string RecordingState::RecordingFolderPath() const { return JoinPath(savePath_, recordingFolder_); }

UserMessage RecordingState::FolderCreationFailed(const std::string& path) {
  HaltButtons();
  return UserMessage{"Could not create the recording folder:\r\n" + path, MessageIcon::Exclamation};
}

// Order of the checks: a tick that arrives with Timer1 already off (a stale
// message) does nothing; a tick before the next slot only re-arms the timer;
// no selected row stops the timer but keeps the buttons; a counter that has
// used up kMaxFrameNumber halts before anything is captured, so no file is
// overwritten and no number past it is used.
TickPlan RecordingState::BeginTick(bool hasSelectedRow, const RecordingMoment& now) {
  TickPlan plan;
  framePending_ = false;
  if (!timerOn_) return plan;
  if (!active_) {
    timerOn_ = false;
    return plan;
  }
  const ScheduledTick tick = schedule_.Tick(now.steadyMs);
  if (!tick.capture) {
    Arm(now);
    return plan;
  }
  if (!hasSelectedRow) {
    EndRecording(TimesEvent::Halt, kChooseWebcamMessage, now);
    timerOn_ = false;
    plan.message = UserMessage{kChooseWebcamMessage, MessageIcon::None};
    return plan;
  }
  if (counterExhausted_) {
    EndRecording(TimesEvent::Halt, kCounterFullMessage, now);
    HaltButtons();
    plan.message = UserMessage{kCounterFullMessage, MessageIcon::Information};
    return plan;
  }
  skippedSlots_ = tick.skippedSlots;
  frameSlot_ = tick.slot;
  Arm(now);
  plan.due = true;
  return plan;
}

void RecordingState::WindowLost(const RecordingMoment& now) {
  framePending_ = false;
  hung_ = false;
  if (!active_ || waiting_) return;
  waiting_ = true;
  Log(TimesEvent::Lost, now, title_);
}

void RecordingState::WindowBack(const RecordingMoment& now) {
  if (!active_ || !waiting_) return;
  waiting_ = false;
  freeSpace_.Forget();  // as after a pause
  Log(TimesEvent::Back, now, title_);
}

void RecordingState::WindowAnswers(bool answers, const RecordingMoment& now) {
  if (!active_ || hung_ == !answers) return;
  hung_ = !answers;
  Log(hung_ ? TimesEvent::Hung : TimesEvent::Answering, now, title_);
}

// The free space is checked before every frame, asked of the volume only
// when the estimate could have reached the reserve (free_space_watch.h), so
// what is written stays whole and the volume keeps its reserve give or take
// one frame.
std::optional<UserMessage> RecordingState::BeforeCapture(
    const RecordingMoment& now, const std::function<std::optional<std::uint64_t>()>& freeSpace) {
  framePending_ = false;
  if (!active_ || !timerOn_) return std::nullopt;
  if (freeSpace_.Due(now.steadyMs)) freeSpace_.Answer(freeSpace ? freeSpace() : std::nullopt, now.steadyMs);
  if (freeSpace_.BelowReserve()) {
    if (holdAtReserve_) return std::nullopt;  // no frame in this slot
    EndRecording(TimesEvent::Halt, kDiskLowMessage, now);
    HaltButtons();
    return UserMessage{kDiskLowMessage, MessageIcon::Exclamation};
  }
  framePending_ = true;
  return std::nullopt;
}

FramePaths RecordingState::FramePathsFor() const {
  // Within the room the folder left, so the row that started the recording
  // keeps the folder's prefix and another row's title is cut to fit.
  std::size_t room = prefixRoom_;
  if (const std::optional<std::size_t> forFrames = PrefixRoomForFrames(savePath_, recordingFolder_))
    room = std::min(room, *forFrames);
  const std::string prefix = ShortenPrefix(FramePrefix(title_), room);
  return FramePaths{FrameFilePath(savePath_, recordingFolder_, prefix, frameCounter_, ".bmp"),
                    FrameFilePath(savePath_, recordingFolder_, prefix, frameCounter_, ".jpg"),
                    JoinPath(RecordingFolderPath(), VideoFileName(prefix, frameCounter_))};
}

// Frame kMaxFrameNumber is counted like any other (Text1 shows it), but the
// counter stays there and is marked used up; the next tick halts with a
// message.
void RecordingState::FrameWritten(const RecordingMoment& capturedAt, std::uint64_t bytes) {
  if (!framePending_) return;  // one count per frame
  framePending_ = false;
  lastFrame_ = frameCounter_;
  Log(TimesEvent::Frame, capturedAt, skippedSlots_ > 0 ? std::to_string(skippedSlots_) + " missed" : "",
      frameCounter_);
  freeSpace_.Written(bytes);
  if (frameCounter_ >= kMaxFrameNumber) {
    counterExhausted_ = true;
  } else {
    ++frameCounter_;
  }
}

void RecordingState::FrameFailed(const UserMessage& reason, const RecordingMoment& now) {
  framePending_ = false;
  if (active_) EndRecording(TimesEvent::Halt, reason.text, now);
  HaltButtons();
}

void RecordingState::Pause(const RecordingMoment& now) {
  if (!active_) {
    HaltButtons();
    return;
  }
  if (paused_) return;
  paused_ = true;
  schedule_.Pause(now.steadyMs);
  Log(TimesEvent::Pause, now);
  timerOn_ = false;
  buttons_ = Buttons::Paused;
}

void RecordingState::Stop(const RecordingMoment& now, const std::string& why) {
  if (active_) EndRecording(TimesEvent::Stop, why, now);
  HaltButtons();
}

void RecordingState::ResetFrameCounter(const RecordingMoment& now) {
  frameCounter_ = 0;
  counterExhausted_ = false;
  if (!active_) return;
  numbersReused_ = true;
  Log(TimesEvent::Reset, now);
}

void RecordingState::Log(TimesEvent event, const RecordingMoment& at, const std::string& detail,
                         std::optional<std::int64_t> frame) {
  // One line per event: line-oriented readers (and grep) keep it whole.
  if (log_ && active_) log_->Record(TimesRecord{at.utc, event, frame, OneLine(detail)});
}

void RecordingState::EndRecording(TimesEvent event, const std::string& detail, const RecordingMoment& at) {
  if (!active_) return;
  Log(event, at, detail);
  lastEnd_ = event == TimesEvent::Halt ? RecordingEnd::Halted : RecordingEnd::Stopped;
  if (log_) log_->End();
  active_ = false;
  paused_ = false;
  waiting_ = false;
  schedule_.Stop();
}

RecordingPhase RecordingState::Phase() const {
  if (active_) {
    if (paused_) return RecordingPhase::Paused;
    return waiting_ ? RecordingPhase::Waiting : RecordingPhase::Running;
  }
  return buttons_ == Buttons::Running ? RecordingPhase::EndedWithoutRow : RecordingPhase::Idle;
}

void RecordingState::ShowRunning(const RecordingMoment& now) {
  buttons_ = Buttons::Running;
  timerOn_ = true;
  Arm(now);
}

void RecordingState::Arm(const RecordingMoment& now) {
  const std::optional<std::int64_t> delay = schedule_.DelayUntilNextMs(now.steadyMs);
  if (!delay) {
    timerOn_ = false;
    return;
  }
  dueMs_ = now.steadyMs + *delay;
}

void RecordingState::HaltButtons() {
  timerOn_ = false;
  buttons_ = Buttons::Idle;
}

bool RecordingState::TryEnterTick() {
  if (tickInProgress_) return false;
  tickInProgress_ = true;
  return true;
}

void RecordingState::LeaveTick() { tickInProgress_ = false; }

}  // namespace lumavex
