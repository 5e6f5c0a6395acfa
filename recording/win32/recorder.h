#pragma once
// One recording from Start to its end, below any window: each tick takes
// the chosen window's pane, stamps it, hands it to the outputs (JPG and BMP
// files, the video), shows it and logs it in times.csv. A new recording
// first repairs what recordings in its save folder left unended. The main window and the
// command line drive the same recorder: they hand it what the user chose
// (RecorderOptions) at every call, show what it reports through a
// RecorderView, and show the message an operation returns.
#include <windows.h>

#include <optional>
#include <string>

#include "base/message.h"
#include "platform/answer_probe.h"
#include "platform/picture.h"
#include "recording/prune_plan.h"
#include "recording/prune_schedule.h"
#include "recording/recording_settings.h"
#include "recording/capture_gaps.h"
#include "recording/recording_state.h"
#include "recording/recording_video.h"
#include "recording/win32/frame_outputs.h"
#include "recording/win32/frame_source.h"
#include "recording/win32/prune_worker.h"
#include "recording/win32/keep_awake.h"
#include "recording/win32/pane_capture.h"
#include "recording/win32/recorded_window.h"
#include "recording/win32/recording_files.h"
#include "recording/win32/session_lock.h"

namespace lumavex {

// The window to record: a row of the webcam list, or the window the
// command line found.
struct WebcamRow {
  bool selected = false;
  std::string title;
  HWND window = nullptr;
};

// What the user has chosen, read afresh for every call.
struct RecorderOptions {
  WebcamRow row;
  bool jpg = true;
  bool bmp = false;
  bool stamp = false;                           // the capture time on each frame
  bool keepOnTop = true;                        // the recorded window made topmost
  int intervalMs = kDefaultCaptureIntervalMs;   // taken at Start only
  std::string saveFolder;                       // taken at Start only
  bool video = false;                           // "Save into a video"
  int segmentSeconds = kDefaultSegmentSeconds;  // taken at Start only
  KeepLimits keep;                              // what older recordings may lose
};

class RecorderView {
 public:
  virtual ~RecorderView() = default;
  // The frame just taken.
  virtual void ShowFrame(const Picture& picture) = 0;
  // The recording waits for a window of this title; empty once it waits no
  // more. Said after every call; the view shows only what changed.
  virtual void ShowWaiting(const std::string& title) = 0;
};

// The recording's lines go to its times.csv, the `pruned` lines of its
// sweeps among them (they run on a worker, see prune_worker.h).
class Recorder : private RecordingLog {
 public:
  explicit Recorder(RecorderView& view);
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // Each returns the message the user must see now, if any: a halt's
  // reason, a refusal.
  // Start (or a double-click on a row): resumes a paused recording, or
  // starts a new one in a folder of its own under the save folder.
  std::optional<UserMessage> Start(const RecorderOptions& options);
  // Timer1's tick: a frame when one is due.
  std::optional<UserMessage> Tick(const RecorderOptions& options);
  // Both end the video file first; one whose end cannot be written halts
  // the recording instead, with the message returned.
  std::optional<UserMessage> Pause();
  // Ends the recording; `why` is the log's detail when the user did not
  // press Stop.
  std::optional<UserMessage> Stop(const std::string& why = {});
  void Reset();

  const RecordingState& State() const { return state_; }
  // Waits for the running sweep of the save folder, if any, and writes its
  // `pruned` lines: for tests, which look at the folders afterwards.
  void WaitForPruning();
  // A sweep runs, or has ended and waits for the next tick to be taken.
  bool Pruning() const { return pruner_.Busy(); }
  // The recording's video files, for the tick benchmark's figures.
  const RecordingVideo& Video() const { return video_; }

 private:
  std::optional<UserMessage> ClaimFolder(const RecordingMoment& at);
  HWND WindowToRecord(const RecorderOptions& options, const RecordingMoment& now, WindowLook& look);
  bool ListenToWindow(HWND window, const RecordingMoment& now);
  std::optional<UserMessage> TakeAndWrite(const RecorderOptions& options, HWND window, WindowLook look);
  void FollowRow(const WebcamRow& row);
  void ShowWaiting();
  // Writes the lines of a sweep that has ended and starts one when due.
  void LookAfterDisk(const RecorderOptions& options, const RecordingMoment& now);
  void TakeSweep(const SweepOutcome& outcome);
  void Record(const TimesRecord& record) override;
  std::optional<UserMessage> EndVideoOrHalt();
  void End() override;
  void EndVideoIfEnded();
  bool SessionAllowsFrames(const RecordingMoment& now);
  void Note(const std::optional<GapLine>& line, const RecordingMoment& at);
  void KeepAwakeWhileOpen();

  RecorderView& view_;
  RecordingState state_;
  RecordingFiles files_;
  PaneCapture capture_;
  FrameSource* source_ = &capture_;
  // Slots without a frame while the window is there: locked, hidden.
  CaptureGaps gaps_;
  SessionLockWatch session_;
  // Held while a recording is open.
  std::optional<SleepBlock> awake_;
  FramePlacer jpegPlacer_{"f.jpg"};
  FramePlacer bmpPlacer_{"f.bmp"};
  BmpFrameFiles bmp_{bmpPlacer_};
  JpegFrameFiles jpeg_{jpegPlacer_};
  RecordingVideo video_;
  VideoFrameFiles videoFiles_{video_};
  FrameJpegEncoder encoder_;
  // Every output, in the order a frame goes to them, with the choice that
  // turns it on and whether it takes the frame's JPEG bytes: a new output is
  // one more row.
  struct OutputChoice {
    FrameOutput* output;
    bool RecorderOptions::*on;
    bool takesJpeg;
  };
  const OutputChoice outputs_[3] = {{&bmp_, &RecorderOptions::bmp, false},
                                    {&jpeg_, &RecorderOptions::jpg, true},
                                    {&videoFiles_, &RecorderOptions::video, true}};
  // The row followed now: another one at a tick means the user chose
  // another window.
  HWND rowWindow_ = nullptr;
  std::string rowTitle_;
  // The window frames are taken from: the followed row's, or the window
  // found again under the same title after that one went away.
  HWND window_ = nullptr;
  // Asks the recorded window, tick by tick, whether its program answers.
  AnswerProbe probe_;
  PruneSchedule pruneSchedule_;
  // Last, so its thread has ended before anything else goes.
  PruneWorker pruner_;
};

}  // namespace lumavex
