#include "recording/recording_state.h"

#include <algorithm>
#include <limits>

#include "recording/frame_naming.h"
#include "recording/path_limits.h"

namespace lumavex {

bool operator==(const UserMessage& a, const UserMessage& b) { return a.text == b.text && a.icon == b.icon; }

namespace {

bool BelowReserve(std::optional<std::uint64_t> freeBytes) {
  return freeBytes && *freeBytes < kDiskReserveBytes;
}

}  // namespace

StartOutcome RecordingState::StartRecording(bool hasSelectedRow, const std::string& rowTitle,
                                            const LocalTime& now, const LocaleNames& names,
                                            const SaveFolder& save) {
  if (!hasSelectedRow) {
    controls_.timer1Enabled = false;
    return StartOutcome{false, UserMessage{kChooseWebcamMessage, MessageIcon::None}};
  }
  std::string prefix = FramePrefix(rowTitle);
  // Refused like a tick on a low disk: a running recording halts too.
  if (BelowReserve(save.freeBytes)) {
    HaltRecording();
    return StartOutcome{false, UserMessage{kDiskLowMessage, MessageIcon::Exclamation}};
  }
  const std::optional<std::size_t> room = PrefixRoomAtStart(save.path, RecordingFolderName("", now, names));
  if (!room) {
    // The save folder alone is too long: no name would help.
    recordingFolder_ = RecordingFolderName(prefix, now, names);
    return StartOutcome{false, FolderCreationFailed(RecordingFolderPath(save.path))};
  }
  prefix = ShortenPrefix(prefix, *room);
  prefixRoom_ = *room;
  controls_.timer1IntervalMs = kCaptureIntervalMs;
  controls_.timer1Enabled = true;
  controls_.startEnabled = false;
  controls_.btstopEnabled = true;
  controls_.pauseEnabled = true;
  controls_.resetEnabled = true;
  // The counter is left alone: a new folder continues the numbering.
  recordingFolder_ = RecordingFolderName(prefix, now, names);
  return StartOutcome{true, std::nullopt};
}

std::string RecordingState::RecordingFolderPath(const std::string& savePath) const {
  return JoinPath(savePath, recordingFolder_);
}

UserMessage RecordingState::FolderCreationFailed(const std::string& path) {
  HaltRecording();
  return UserMessage{"Could not create the recording folder:\r\n" + path, MessageIcon::Exclamation};
}

// Order of the checks: a tick that arrives with Timer1 already off (a stale
// message) does nothing; no selected row stops the timer but keeps the
// buttons; a counter that has used up 32767 halts before anything is
// captured, so no file is overwritten and no number past 32767 is used.
TickPlan RecordingState::BeginTick(bool hasSelectedRow, std::optional<std::uint64_t> freeBytes) {
  TickPlan plan;
  framePending_ = false;
  if (!controls_.timer1Enabled) return plan;
  plan.frameNumberText = FrameNumberText(frameCounter_);
  if (!hasSelectedRow) {
    controls_.timer1Enabled = false;
    plan.message = UserMessage{kChooseWebcamMessage, MessageIcon::None};
    return plan;
  }
  if (counterExhausted_) {
    HaltRecording();
    plan.message = UserMessage{kCounterFullMessage, MessageIcon::Information};
    return plan;
  }
  // Checked before every frame, so what is written stays whole and the
  // volume keeps its reserve give or take one frame.
  if (BelowReserve(freeBytes)) {
    HaltRecording();
    plan.message = UserMessage{kDiskLowMessage, MessageIcon::Exclamation};
    return plan;
  }
  plan.capture = true;
  framePending_ = true;
  return plan;
}

FramePaths RecordingState::FramePathsFor(const std::string& savePath, const std::string& rowTitle) const {
  std::string prefix = FramePrefix(rowTitle);
  // Within the room Start left, so the same row keeps the folder's prefix;
  // a save folder typed longer since then shortens it further. When nothing
  // fits, the names stay as they are and the write reports the failure.
  std::size_t room = prefixRoom_;
  if (const std::optional<std::size_t> forFrames = PrefixRoomForFrames(savePath, recordingFolder_))
    room = std::min(room, *forFrames);
  prefix = ShortenPrefix(prefix, room);
  return FramePaths{FrameFilePath(savePath, recordingFolder_, prefix, frameCounter_, ".bmp"),
                    FrameFilePath(savePath, recordingFolder_, prefix, frameCounter_, ".jpg")};
}

// Frame 32767 is counted like any other (Text1 shows 32767), but the counter
// stays at 32767 and is marked used up; the next tick halts with a message.
void RecordingState::FrameWritten() {
  if (!framePending_) return;  // one count per capturing tick
  framePending_ = false;
  controls_.text1 = std::to_string(frameCounter_);
  if (frameCounter_ == std::numeric_limits<std::int16_t>::max()) {
    counterExhausted_ = true;
  } else {
    ++frameCounter_;
  }
}

void RecordingState::FrameFailed() {
  framePending_ = false;
  HaltRecording();
}

UserMessage RecordingState::BmpFailed(const std::string& path) {
  framePending_ = false;
  HaltRecording();
  return UserMessage{"Failed to save to BMP:\r\n" + path, MessageIcon::Exclamation};
}

UserMessage RecordingState::WindowClosed() {
  framePending_ = false;
  HaltRecording();
  return UserMessage{kWindowClosedMessage, MessageIcon::Information};
}

void RecordingState::HaltRecording() {
  controls_.timer1Enabled = false;
  controls_.btstopEnabled = false;
  controls_.pauseEnabled = false;
  controls_.startEnabled = true;
}

void RecordingState::ResetFrameCounter() {
  frameCounter_ = 0;
  counterExhausted_ = false;
}

bool RecordingState::TryEnterTick() {
  if (tickInProgress_) return false;
  tickInProgress_ = true;
  return true;
}

void RecordingState::LeaveTick() { tickInProgress_ = false; }

}  // namespace lumavex
