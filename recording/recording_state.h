#pragma once
// The recording loop's state and decisions, free of any window. The
// recorder (recording/win32/recorder.h) owns one RecordingState and calls
// the matching operation for every event; the window shows Phase(),
// NextDueMs() and LastFrame() in Timer1, the four buttons and Text1.
//
// A recording runs from the Start that claims its folder until Stop or a
// halt (a failure, a full disk, the last frame number, no row to record).
// Meanwhile it may be paused (Start then resumes it in the same folder) and
// may wait for its window (the window went away; frames go on as soon as a
// window with the same title is back). Frames are taken on a fixed schedule
// (capture_schedule.h), and every event is written to the recording's log,
// its times.csv.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/message.h"
#include "recording/capture_schedule.h"
#include "recording/free_space_watch.h"
#include "recording/times_csv.h"
#include "recording/timestamp.h"

namespace lumavex {

// Where a recording stands. The window turns it into the enabled flags of
// its buttons: Start while Idle or Paused; Stop while a recording is open or
// has just ended for want of a row; Pause while frames are being taken.
enum class RecordingPhase {
  Idle,     // no recording open
  Running,  // taking frames on the schedule
  Waiting,  // open, but its window is gone: no frames until it is back
  Paused,   // open; Start resumes it in the same folder
  // Ended at a tick (or a Start) that found no row selected; the buttons
  // keep the states they had while it ran.
  EndedWithoutRow,
};

// How the last recording ended, for callers without a user to tell (the
// command line's exit code).
enum class RecordingEnd {
  None,     // none has ended yet
  Stopped,  // by the user, a new recording, or the program closing
  Halted,   // by itself: a failure, a full disk, the last number, no row
};

// A moment as the recording reads it, both clocks at once: the steady clock
// in milliseconds (for the schedule) and the UTC wall clock (for times.csv).
struct RecordingMoment {
  std::int64_t steadyMs = 0;
  CalendarTime utc;
};

// Where a recording's lines go: its times.csv. End() comes once the
// recording has ended (stopped or halted); a new recording's lines follow a
// new Start.
class RecordingLog {
 public:
  virtual ~RecordingLog() = default;
  virtual void Record(const TimesRecord& record) = 0;
  virtual void End() = 0;
};

// The save folder (txtPath as typed at Start) and the free space of its
// volume, when the platform could tell it.
struct SaveFolder {
  std::string path;
  std::optional<std::uint64_t> freeBytes;
};

struct StartRequest {
  bool hasSelectedRow = false;
  std::string rowTitle;
  CalendarTime localTime{};  // names the folder
  LocaleNames names;
  SaveFolder save;
  RecordingMoment at;
  int intervalMs = kDefaultCaptureIntervalMs;
};

enum class StartKind {
  Refused,
  // The window must now claim a folder: make FolderName(1), FolderName(2),
  // ... until one is new, then call FolderClaimed; or FolderCreationFailed.
  NewRecording,
  // The paused recording goes on, in its folder and on its schedule.
  Resumed,
};

struct StartOutcome {
  StartKind kind = StartKind::Refused;
  std::optional<UserMessage> message;
};

struct TickPlan {
  // A frame's time has come. The window is looked at (WindowLost or
  // WindowBack); for a frame, BeforeCapture, then FrameWritten or
  // FrameFailed.
  bool due = false;
  std::optional<UserMessage> message;
};

struct FramePaths {
  std::string bmp;
  std::string jpg;
  // The video a file begun at this frame has (named by its first frame).
  std::string video;
};

inline constexpr const char* kChooseWebcamMessage = "choose a webcam from the list first";
inline constexpr const char* kCounterFullMessage =
    "The frame counter has reached 9999999. Press Reset to number frames from 0 again.";
inline constexpr const char* kDiskLowMessage =
    "The disk holding the recording folder has less than 64 MB free. Recording stopped.";
// The stop reasons the log gives when the user did not press Stop.
inline constexpr const char* kStopForNewRecording = "a new recording was started";
inline constexpr const char* kStopForClose = "Lumavex was closed";

class RecordingState {
 public:
  // Where each recording's lines go; not owned; null writes nothing.
  void SetLog(RecordingLog* log) { log_ = log; }

  // Start button, or a double-click on a row (whether or not Start is
  // enabled). While paused: resumes. Otherwise ends a running recording and
  // prepares a new one in request.save.path, which it keeps to the end (a
  // save folder typed later applies to the next recording). Refused, with a
  // message, without a row, when the volume has less than
  // kDiskReserveBytes free (a running recording halts too), or when the save
  // folder's path is too long to hold a recording; a prefix too long for the
  // paths is shortened, silently, just enough.
  StartOutcome StartRecording(const StartRequest& request);
  // The name of the recording folder to try at the `attempt`-th try: the
  // prefix and the start's time stamp, then "_2", "_3", ... so that a name
  // another recording took is never shared; the prefix is shortened so the
  // suffix fits too. Nothing when the save folder leaves no room.
  std::optional<std::string> FolderName(int attempt) const;
  // The folder FolderName(attempt) was made (and the log opened in it): the
  // recording begins.
  void FolderClaimed(int attempt, const RecordingMoment& at);
  // No folder could be made: halts.
  UserMessage FolderCreationFailed(const std::string& path);
  // SavePath()\RecordingFolder().
  std::string RecordingFolderPath() const;

  // First step of a Timer1 tick, inside a TickGuard.
  TickPlan BeginTick(bool hasSelectedRow, const RecordingMoment& now);
  // The title of the window the frames come from; the window follows the
  // selected row, so a newly selected row brings its own title.
  void FollowTitle(const std::string& title) {
    title_ = title;
    hung_ = false;  // another window: nothing said of it yet
  }
  // The window is gone: no frames until WindowBack.
  void WindowLost(const RecordingMoment& now);
  void WindowBack(const RecordingMoment& now);
  // Whether the recorded window's program answers, as seen at this tick; the
  // log says `hung` (with the title) when it stops and `answering` when it
  // answers again. A window that goes away, or another one followed, starts
  // answering.
  void WindowAnswers(bool answers, const RecordingMoment& now);
  bool WindowHung() const { return active_ && hung_; }
  // A line that changes neither the phase nor the frames (a slot without a
  // frame while the window is there: recording/capture_gaps.h); written
  // while a recording is open.
  void Note(TimesEvent event, const RecordingMoment& at, const std::string& detail = {}) {
    Log(event, at, detail);
  }
  // Last checks before a frame is taken: `freeSpace` (asked only when the
  // reserve needs an answer). A message means the recording has halted.
  std::optional<UserMessage> BeforeCapture(const RecordingMoment& now,
                                           const std::function<std::optional<std::uint64_t>()>& freeSpace);
  // True when the last BeforeCapture let the frame be taken.
  bool FrameCleared() const { return framePending_; }
  // While files may still be deleted to make room (a sweep is running),
  // BeforeCapture below the reserve skips the frame instead of halting.
  void HoldAtReserve(bool hold) { holdAtReserve_ = hold; }
  // Files were deleted: the volume is asked again before the next frame.
  void DiskChanged() { freeSpace_.Forget(); }
  std::optional<std::uint64_t> FreeSpaceEstimate() const { return freeSpace_.Estimate(); }
  // Paths of this frame's files: the recording's save folder and folder,
  // the prefix of the title followed now (shortened as at Start), the
  // current counter.
  FramePaths FramePathsFor() const;
  // True once Reset has been pressed during this recording, so a frame file
  // of the next number may exist already.
  bool NumbersReused() const { return numbersReused_; }
  // The slot of the frame being taken: slot k falls k intervals after the
  // start, pauses not counted (capture_schedule.h).
  std::int64_t FrameSlot() const { return frameSlot_; }
  // Outcomes of a frame: its files are in place (`bytes` in all), or it
  // failed (the recording halts with `reason`, which the window shows).
  void FrameWritten(const RecordingMoment& capturedAt, std::uint64_t bytes);
  void FrameFailed(const UserMessage& reason, const RecordingMoment& now);

  void Pause(const RecordingMoment& now);
  // Ends the recording; `why` is the log's detail when the user did not
  // press Stop.
  void Stop(const RecordingMoment& now, const std::string& why = {});
  void ResetFrameCounter(const RecordingMoment& now);

  // Message boxes run a modal loop that goes on delivering Timer1 ticks; a
  // tick arriving while another one (or its message box) is still running
  // must be dropped. Prefer TickGuard.
  bool TryEnterTick();
  void LeaveTick();
  bool TickInProgress() const { return tickInProgress_; }

  int FrameCounter() const { return frameCounter_; }
  // Frame kMaxFrameNumber has been written; nothing more can be numbered
  // until Reset.
  bool CounterExhausted() const { return counterExhausted_; }
  const std::string& RecordingFolder() const { return recordingFolder_; }
  const std::string& SavePath() const { return savePath_; }
  const std::string& RecordedTitle() const { return title_; }
  // A recording is open: running, paused or waiting.
  bool Active() const { return active_; }
  bool Paused() const { return active_ && paused_; }
  bool Waiting() const { return active_ && waiting_; }
  int IntervalMs() const { return schedule_.IntervalMs(); }
  RecordingPhase Phase() const;
  // When the next tick is wanted, on the steady clock; nothing while no
  // frame is due (idle, paused, ended).
  std::optional<std::int64_t> NextDueMs() const {
    return timerOn_ ? std::optional<std::int64_t>(dueMs_) : std::nullopt;
  }
  // The number of the last frame counted, which Text1 shows; nothing before
  // the first.
  std::optional<int> LastFrame() const { return lastFrame_; }
  // A recording has been started since the program began: Reset is usable.
  bool StartedOnce() const { return startedOnce_; }
  RecordingEnd LastEnd() const { return lastEnd_; }

 private:
  void Log(TimesEvent event, const RecordingMoment& at, const std::string& detail = {},
           std::optional<std::int64_t> frame = std::nullopt);
  void EndRecording(TimesEvent event, const std::string& detail, const RecordingMoment& at);
  void ShowRunning(const RecordingMoment& now);
  void Arm(const RecordingMoment& now);
  void HaltButtons();

  RecordingLog* log_ = nullptr;
  int frameCounter_ = 0;
  bool counterExhausted_ = false;
  std::string recordingFolder_;
  std::string savePath_;
  std::string title_;
  // Of the recording being started: the whole prefix and the time stamp.
  std::string fullPrefix_;
  std::string stamp_;
  int intervalMs_ = kDefaultCaptureIntervalMs;
  // UTF-16 units of prefix that the claimed folder left room for.
  std::size_t prefixRoom_ = static_cast<std::size_t>(-1);
  bool active_ = false;
  bool paused_ = false;
  bool waiting_ = false;
  bool hung_ = false;
  bool numbersReused_ = false;
  CaptureSchedule schedule_;
  FreeSpaceWatch freeSpace_;
  std::int64_t skippedSlots_ = 0;
  std::int64_t frameSlot_ = 0;
  bool timerOn_ = false;
  std::int64_t dueMs_ = 0;
  // The buttons as the last event left them: a recording that ends for
  // want of a row leaves them as they were.
  enum class Buttons { Idle, Running, Paused } buttons_ = Buttons::Idle;
  bool startedOnce_ = false;
  std::optional<int> lastFrame_;
  RecordingEnd lastEnd_ = RecordingEnd::None;
  bool tickInProgress_ = false;
  bool framePending_ = false;
  bool holdAtReserve_ = false;
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
