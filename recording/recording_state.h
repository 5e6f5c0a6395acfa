#pragma once
// The recording loop's state and decisions, free of any window. The main
// window owns one RecordingState; each handler reads its controls, calls the
// matching operation, then shows the returned message (if any) and writes
// Controls() back to Timer1, the four buttons and Text1.
#include <cstdint>
#include <optional>
#include <string>

#include "base/message.h"
#include "recording/timestamp.h"

namespace lumavex {

struct UserMessage {
  std::string text;
  MessageIcon icon = MessageIcon::None;
};
bool operator==(const UserMessage& a, const UserMessage& b);

// What the window shows in the controls the recording loop drives.
struct RecordingControls {
  bool timer1Enabled = false;
  int timer1IntervalMs = 0;
  bool startEnabled = true;
  bool btstopEnabled = false;
  bool pauseEnabled = false;
  bool resetEnabled = false;
  std::string text1;
};

struct StartOutcome {
  // True: recording has begun; the window must now make the folder
  // RecordingFolderPath(txtPath) unless a directory or file of that path
  // exists, and call FolderCreationFailed when making it fails.
  bool started = false;
  std::optional<UserMessage> message;
};

struct TickPlan {
  // True: capture and write this frame, then report exactly one of
  // FrameWritten, FrameFailed, BmpFailed or WindowClosed.
  bool capture = false;
  std::optional<UserMessage> message;
  std::string frameNumberText;
};

struct FramePaths {
  std::string bmp;
  std::string jpg;
};

// The save folder (txtPath as typed) and the free space of its volume, when
// the platform could tell it.
struct SaveFolder {
  std::string path;
  std::optional<std::uint64_t> freeBytes;
};

inline constexpr int kCaptureIntervalMs = 1000;
inline constexpr const char* kChooseWebcamMessage = "choose a webcam from the list first";
inline constexpr const char* kCounterFullMessage =
    "The frame counter has reached 32767. Press Reset to number frames from 0 again.";
inline constexpr const char* kWindowClosedMessage = "The webcam window has been closed. Recording stopped.";
// Recording stops while this much is still free, before the disk is full for
// every other program as well.
inline constexpr std::uint64_t kDiskReserveBytes = 64ull << 20;
inline constexpr const char* kDiskLowMessage =
    "The disk holding the recording folder has less than 64 MB free. Recording stopped.";

class RecordingState {
 public:
  // Start button, or a double-click on a row (whether or not Start is enabled).
  // Refuses (halting a running recording) when the save folder's volume has
  // less than kDiskReserveBytes free, or when the save folder's path is too
  // long to hold a recording; otherwise a prefix too long for the paths is
  // shortened, silently, just enough.
  StartOutcome StartRecording(bool hasSelectedRow, const std::string& rowTitle, const LocalTime& now,
                              const LocaleNames& names, const SaveFolder& save);
  // txtPath\RecordingFolder, with txtPath as typed.
  std::string RecordingFolderPath(const std::string& savePath) const;
  // The recording folder could not be made: halts.
  UserMessage FolderCreationFailed(const std::string& path);

  // First step of a Timer1 tick, inside a TickGuard. With `freeBytes` known
  // and below kDiskReserveBytes the recording halts before capturing.
  TickPlan BeginTick(bool hasSelectedRow, std::optional<std::uint64_t> freeBytes = std::nullopt);
  // Paths of this tick's frame files: txtPath as read now, the prefix of the
  // row selected now (shortened as at Start, and further if the paths need
  // it), the current counter.
  FramePaths FramePathsFor(const std::string& savePath, const std::string& rowTitle) const;
  // Outcomes of a capturing tick.
  void FrameWritten();
  // The capture or the JPEG writer failed and has already told the user.
  void FrameFailed();
  UserMessage BmpFailed(const std::string& path);
  UserMessage WindowClosed();

  // Pause and Stop.
  void HaltRecording();
  void ResetFrameCounter();

  // Message boxes run a modal loop that goes on delivering Timer1 ticks; a
  // tick arriving while another one (or its message box) is still running
  // must be dropped. Prefer TickGuard.
  bool TryEnterTick();
  void LeaveTick();
  bool TickInProgress() const { return tickInProgress_; }

  std::int16_t FrameCounter() const { return frameCounter_; }
  // Frame 32767 has been written; nothing more can be numbered until Reset.
  bool CounterExhausted() const { return counterExhausted_; }
  const std::string& RecordingFolder() const { return recordingFolder_; }
  const RecordingControls& Controls() const { return controls_; }

 private:
  std::int16_t frameCounter_ = 0;
  bool counterExhausted_ = false;
  std::string recordingFolder_;
  // UTF-16 units of prefix that Start left room for.
  std::size_t prefixRoom_ = static_cast<std::size_t>(-1);
  RecordingControls controls_;
  bool tickInProgress_ = false;
  bool framePending_ = false;
};

// Holds the tick for its lifetime; entered() is false when another tick is
// still running, and the new tick must then return at once.
class TickGuard {
 public:
  explicit TickGuard(RecordingState& state) : state_(state), entered_(state.TryEnterTick()) {}
  ~TickGuard() {
    if (entered_) state_.LeaveTick();
  }
  TickGuard(const TickGuard&) = delete;
  TickGuard& operator=(const TickGuard&) = delete;
  bool entered() const { return entered_; }

 private:
  RecordingState& state_;
  bool entered_;
};

}  // namespace lumavex
