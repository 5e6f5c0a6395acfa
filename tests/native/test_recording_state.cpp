// The recording's state machine: buttons, folders, numbering, the schedule
// of frames, pause and resume, waiting for a window that went away, and the
// lines each event leaves in the recording's log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/frame_naming.h"
#include "recording/recording_state.h"

namespace lumavex {
namespace {

const std::string kTitle = "Alice - Conversation";
const std::string kSave = "C:\\rec";
constexpr std::int64_t kT0 = 7'000'000;  // any steady clock reading
constexpr std::uint64_t kPlenty = 1ull << 40;
constexpr CalendarTime kFirstStart{2004, 3, 7, 14, 5, 9};
constexpr CalendarTime kLaterStart{2004, 3, 7, 14, 6, 0};
const std::string kFirstFolder = "Alice07_Mar_2004_02_05_09_PM";

// `ms` after kT0 on the steady clock; the wall clock carries the same
// milliseconds, so log lines can be told apart.
RecordingMoment At(std::int64_t ms) {
  const std::int64_t s = ms / 1000;
  return RecordingMoment{kT0 + ms, CalendarTime{2004, 3, 7, 13, static_cast<int>(5 + s / 60 % 50),
                                                static_cast<int>(s % 60), static_cast<int>(ms % 1000)}};
}

class LogLines : public RecordingLog {
 public:
  void Record(const TimesRecord& record) override { records.push_back(record); }
  void End() override { ++ends; }
  // "event frame detail" of every line, for compact comparisons.
  std::vector<std::string> Events() const {
    std::vector<std::string> out;
    for (const TimesRecord& r : records) {
      std::string line = TimesEventName(r.event);
      if (r.frame) line += " " + std::to_string(*r.frame);
      if (!r.detail.empty()) line += " " + r.detail;
      out.push_back(line);
    }
    return out;
  }
  std::vector<TimesRecord> records;
  int ends = 0;
};

struct Buttons {
  bool timer, start, btstop, pause, reset;
};

// The buttons as the window makes them of the phase.
void ExpectButtons(const RecordingState& s, Buttons b) {
  const RecordingPhase p = s.Phase();
  const bool taking =
      p == RecordingPhase::Running || p == RecordingPhase::Waiting || p == RecordingPhase::EndedWithoutRow;
  EXPECT_EQ(s.NextDueMs().has_value(), b.timer);
  EXPECT_EQ(p == RecordingPhase::Idle || p == RecordingPhase::Paused, b.start);
  EXPECT_EQ(taking || p == RecordingPhase::Paused, b.btstop);
  EXPECT_EQ(taking, b.pause);
  EXPECT_EQ(s.StartedOnce(), b.reset);
}

// What Text1 shows.
std::string Text1(const RecordingState& s) { return s.LastFrame() ? std::to_string(*s.LastFrame()) : ""; }

constexpr Buttons kIdle{false, true, false, false, false};
constexpr Buttons kRecording{true, false, true, true, true};
constexpr Buttons kHalted{false, true, false, false, true};
constexpr Buttons kPaused{false, true, true, false, true};

StartRequest Request(std::int64_t ms, int intervalMs = 1000, const CalendarTime& local = kFirstStart) {
  StartRequest r;
  r.hasSelectedRow = true;
  r.rowTitle = kTitle;
  r.localTime = local;
  r.names = EnglishLocaleNames();
  r.save = SaveFolder{kSave, kPlenty};
  r.at = At(ms);
  r.intervalMs = intervalMs;
  return r;
}

void Start(RecordingState& s, std::int64_t ms = 0, int intervalMs = 1000,
           const CalendarTime& local = kFirstStart) {
  ASSERT_EQ(s.StartRecording(Request(ms, intervalMs, local)).kind, StartKind::NewRecording);
  s.FolderClaimed(1, At(ms));
}

// One tick at `ms` that takes and writes a frame; returns its JPG path.
std::string WriteFrame(RecordingState& s, std::int64_t ms) {
  TickGuard guard(s);
  EXPECT_TRUE(guard.entered());
  const TickPlan plan = s.BeginTick(true, At(ms));
  EXPECT_TRUE(plan.due) << "at " << ms;
  EXPECT_FALSE(plan.message);
  EXPECT_FALSE(s.BeforeCapture(At(ms), [] { return kPlenty; }));
  const std::string path = s.FramePathsFor().jpg;
  s.FrameWritten(At(ms), 5000);
  return path;
}

TEST(RecordingStart, StartUpStateThenStartWithRow) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  ExpectButtons(s, kIdle);
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_EQ(s.RecordingFolder(), "");
  EXPECT_EQ(Text1(s), "");

  const StartOutcome out = s.StartRecording(Request(0, 200));
  EXPECT_EQ(out.kind, StartKind::NewRecording);
  EXPECT_FALSE(out.message);
  EXPECT_EQ(s.FolderName(1), kFirstFolder);
  EXPECT_TRUE(log.records.empty()) << "nothing is logged before the folder exists";
  s.FolderClaimed(1, At(0));
  ExpectButtons(s, kRecording);
  EXPECT_EQ(s.NextDueMs(), std::optional<std::int64_t>(kT0 + 1));  // frame 0 is due at once
  EXPECT_EQ(s.RecordingFolder(), kFirstFolder);
  EXPECT_EQ(s.RecordingFolderPath(), "C:\\rec\\" + kFirstFolder);
  EXPECT_EQ(s.IntervalMs(), 200);
  ASSERT_EQ(log.records.size(), 1u);
  EXPECT_EQ(log.records[0].time, At(0).utc);
  EXPECT_EQ(log.Events()[0], "start interval_ms=200; window=Alice - Conversation");
}

TEST(RecordingStart, WithoutRowOnlyStopsTheTimerAndEndsARunningRecording) {
  RecordingState idle;
  StartRequest none = Request(0);
  none.hasSelectedRow = false;
  const StartOutcome out = idle.StartRecording(none);
  EXPECT_EQ(out.kind, StartKind::Refused);
  EXPECT_EQ(out.message, (UserMessage{"choose a webcam from the list first", MessageIcon::None}));
  ExpectButtons(idle, kIdle);

  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  none.at = At(400);
  s.StartRecording(none);
  ExpectButtons(s, Buttons{false, false, true, true, true});
  EXPECT_FALSE(s.Active());
  EXPECT_EQ(log.Events().back(), "halt choose a webcam from the list first");
  EXPECT_EQ(log.ends, 1);
  EXPECT_EQ(s.FrameCounter(), 1);
}

TEST(RecordingStart, ATakenFolderNameGetsASuffixAndTheSaveFolderIsKept) {
  RecordingState s;
  ASSERT_EQ(s.StartRecording(Request(0)).kind, StartKind::NewRecording);
  EXPECT_EQ(s.FolderName(2), kFirstFolder + "_2");
  EXPECT_EQ(s.FolderName(17), kFirstFolder + "_17");
  s.FolderClaimed(3, At(0));
  EXPECT_EQ(s.RecordingFolder(), kFirstFolder + "_3");
  EXPECT_EQ(WriteFrame(s, 0), "C:\\rec\\" + kFirstFolder + "_3\\Alice0000000.jpg");
}

TEST(RecordingStart, FolderThatCannotBeMadeHalts) {
  RecordingState s;
  ASSERT_EQ(s.StartRecording(Request(0)).kind, StartKind::NewRecording);
  const UserMessage m = s.FolderCreationFailed(JoinPath("Q:\\gone", *s.FolderName(1)));
  EXPECT_EQ(m.text, "Could not create the recording folder:\r\nQ:\\gone\\" + kFirstFolder);
  EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  ExpectButtons(s, kHalted);
  EXPECT_FALSE(s.Active());
}

TEST(RecordingTicks, FramesOnTheirSlotsThenStopThenStartContinuesNumbering) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  EXPECT_EQ(WriteFrame(s, 3), "C:\\rec\\" + kFirstFolder + "\\Alice0000000.jpg");
  EXPECT_EQ(Text1(s), "0");
  EXPECT_EQ(s.NextDueMs(), std::optional<std::int64_t>(kT0 + 1000));
  {
    // Early: only the timer is armed again, for the slot.
    TickGuard guard(s);
    EXPECT_FALSE(s.BeginTick(true, At(640)).due);
    EXPECT_EQ(s.NextDueMs(), std::optional<std::int64_t>(kT0 + 1000));
  }
  EXPECT_EQ(WriteFrame(s, 1010), "C:\\rec\\" + kFirstFolder + "\\Alice0000001.jpg");
  EXPECT_EQ(WriteFrame(s, 2000), "C:\\rec\\" + kFirstFolder + "\\Alice0000002.jpg");
  EXPECT_EQ(Text1(s), "2");
  EXPECT_EQ(s.FrameCounter(), 3);

  s.Stop(At(2500));
  ExpectButtons(s, kHalted);
  EXPECT_EQ(log.ends, 1);
  EXPECT_EQ(s.FrameCounter(), 3);
  EXPECT_FALSE(s.BeginTick(true, At(3000)).due);  // a stale tick after Stop does nothing
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"start interval_ms=1000; window=Alice - Conversation",
                                                    "frame 0", "frame 1", "frame 2", "stop"}));
  EXPECT_EQ(log.records[1].time, At(3).utc);  // a frame's time is its capture's
  EXPECT_EQ(log.records[2].time, At(1010).utc);

  Start(s, 60'000, 1000, kLaterStart);
  EXPECT_EQ(s.RecordingFolder(), "Alice07_Mar_2004_02_06_00_PM");
  EXPECT_EQ(WriteFrame(s, 60'000), "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000003.jpg");
  EXPECT_EQ(s.FramePathsFor().bmp, "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000004.bmp");
}

TEST(RecordingTicks, LateTicksSkipSlotsWithoutGapsInTheNumbers) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s, 0, 500);
  WriteFrame(s, 0);
  WriteFrame(s, 740);   // late, but within its slot
  WriteFrame(s, 2100);  // slots 2 and 3 went by: slot 4 is taken
  EXPECT_EQ(s.NextDueMs(), std::optional<std::int64_t>(kT0 + 2500));
  WriteFrame(s, 2500);
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"start interval_ms=500; window=Alice - Conversation",
                                                    "frame 0", "frame 1", "frame 2 2 missed", "frame 3"}));
}

TEST(RecordingTicks, FollowTheTitleOfTheSelectedRow) {
  RecordingState s;
  Start(s);
  WriteFrame(s, 0);
  s.FollowTitle("Bob - Conversation");
  EXPECT_EQ(WriteFrame(s, 1000), "C:\\rec\\" + kFirstFolder + "\\Bob0000001.jpg");
}

TEST(RecordingTicks, NoSelectedRowStopsTimerKeepsButtonsAndEndsTheRecording) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  const TickPlan plan = s.BeginTick(false, At(0));
  EXPECT_FALSE(plan.due);
  EXPECT_EQ(plan.message, (UserMessage{"choose a webcam from the list first", MessageIcon::None}));
  ExpectButtons(s, Buttons{false, false, true, true, true});
  EXPECT_EQ(s.Phase(), RecordingPhase::EndedWithoutRow);
  EXPECT_EQ(s.LastEnd(), RecordingEnd::Halted);
  EXPECT_EQ(log.Events().back(), "halt choose a webcam from the list first");
  EXPECT_EQ(s.FrameCounter(), 0);
  // Nothing left to pause: Pause acts as Stop, and the next Start opens a
  // new folder.
  s.Pause(At(100));
  ExpectButtons(s, kHalted);
  EXPECT_EQ(s.StartRecording(Request(200)).kind, StartKind::NewRecording);
}

TEST(RecordingTicks, ResetWhileRecordingRenumbersInTheSameFolder) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  WriteFrame(s, 1000);
  EXPECT_FALSE(s.NumbersReused());
  s.ResetFrameCounter(At(1500));
  EXPECT_TRUE(s.NumbersReused());
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_EQ(Text1(s), "1");
  ExpectButtons(s, kRecording);
  EXPECT_EQ(WriteFrame(s, 2000), "C:\\rec\\" + kFirstFolder + "\\Alice0000000.jpg");
  EXPECT_EQ(log.Events()[3], "reset");
  EXPECT_EQ(log.records[3].time, At(1500).utc);
}

TEST(RecordingPause, PauseKeepsTheFolderAndStartResumesOnTheShiftedSchedule) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  WriteFrame(s, 1000);
  s.Pause(At(1300));
  ExpectButtons(s, kPaused);
  EXPECT_TRUE(s.Paused());
  EXPECT_FALSE(s.BeginTick(true, At(2000)).due);

  // Start resumes: no new folder is asked for, the numbers go on, and the
  // slot that was 700 ms away at the pause is 700 ms away again.
  StartRequest again = Request(9300, 100, kLaterStart);
  again.save = SaveFolder{"D:\\elsewhere", kPlenty};
  const StartOutcome out = s.StartRecording(again);
  EXPECT_EQ(out.kind, StartKind::Resumed);
  ExpectButtons(s, kRecording);
  EXPECT_EQ(s.NextDueMs(), std::optional<std::int64_t>(kT0 + 10'000));
  EXPECT_FALSE(s.BeginTick(true, At(9999)).due);
  EXPECT_EQ(WriteFrame(s, 10'000), "C:\\rec\\" + kFirstFolder + "\\Alice0000002.jpg");
  EXPECT_EQ(s.IntervalMs(), 1000);
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"start interval_ms=1000; window=Alice - Conversation",
                                                    "frame 0", "frame 1", "pause", "resume", "frame 2"}));
  EXPECT_EQ(log.ends, 0);

  s.Stop(At(10'500));
  ExpectButtons(s, kHalted);
  EXPECT_EQ(log.ends, 1);
  EXPECT_EQ(s.StartRecording(Request(11'000, 1000, kLaterStart)).kind, StartKind::NewRecording);
}

TEST(RecordingWaiting, ALostWindowIsWaitedForAndItsReturnGoesOnInTheSameFolder) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  for (std::int64_t ms : {1000, 2000, 3000}) {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, At(ms)).due);
    s.WindowLost(At(ms));       // once in the log, however long it lasts
    s.FrameWritten(At(ms), 1);  // a stray report counts nothing
    ExpectButtons(s, kRecording);
    EXPECT_TRUE(s.Waiting());
  }
  EXPECT_EQ(s.FrameCounter(), 1);
  {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, At(4000)).due);
    s.WindowBack(At(4000));
  }
  s.WindowBack(At(4000));  // back once
  EXPECT_FALSE(s.Waiting());
  EXPECT_EQ(WriteFrame(s, 5000), "C:\\rec\\" + kFirstFolder + "\\Alice0000001.jpg");
  EXPECT_EQ(log.Events(),
            (std::vector<std::string>{"start interval_ms=1000; window=Alice - Conversation", "frame 0",
                                      "lost Alice - Conversation", "back Alice - Conversation", "frame 1"}));
  EXPECT_EQ(log.records[2].time, At(1000).utc);
  EXPECT_EQ(log.records[3].time, At(4000).utc);
}

// A program that stops answering is said once, however many ticks it
// lasts, and once again when it answers; a window that goes away while hung
// is lost, not answering, and the one found later starts afresh.
TEST(RecordingWaiting, AWindowThatStopsAnsweringIsSaidOnceEachWay) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  s.WindowAnswers(false, At(0));  // nothing open: nothing said
  Start(s);
  WriteFrame(s, 0);
  for (std::int64_t ms : {1000, 2000}) s.WindowAnswers(true, At(ms));
  for (std::int64_t ms : {6000, 7000, 8000}) s.WindowAnswers(false, At(ms));
  EXPECT_TRUE(s.WindowHung());
  EXPECT_FALSE(s.Waiting());  // still recorded
  s.WindowAnswers(true, At(9000));
  s.WindowAnswers(true, At(10'000));
  EXPECT_FALSE(s.WindowHung());
  s.WindowAnswers(false, At(16'000));
  s.WindowLost(At(17'000));
  EXPECT_FALSE(s.WindowHung());
  s.WindowBack(At(18'000));
  s.WindowAnswers(true, At(18'000));
  s.WindowAnswers(false, At(24'000));
  s.FollowTitle("Bob - Conversation");  // another row chosen
  s.WindowAnswers(true, At(25'000));
  EXPECT_EQ(log.Events(),
            (std::vector<std::string>{"start interval_ms=1000; window=Alice - Conversation", "frame 0",
                                      "hung Alice - Conversation", "answering Alice - Conversation",
                                      "hung Alice - Conversation", "lost Alice - Conversation",
                                      "back Alice - Conversation", "hung Alice - Conversation"}));
  EXPECT_EQ(log.records[2].time, At(6000).utc);
  EXPECT_EQ(log.records[3].time, At(9000).utc);
}

TEST(RecordingWaiting, PauseResetAndStopWorkWhileWaiting) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, At(1000)).due);
    s.WindowLost(At(1000));
  }
  s.Pause(At(1200));
  ExpectButtons(s, kPaused);
  EXPECT_EQ(s.StartRecording(Request(1400)).kind, StartKind::Resumed);
  EXPECT_TRUE(s.Waiting());  // still gone
  ExpectButtons(s, kRecording);
  s.ResetFrameCounter(At(1500));
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_TRUE(s.Waiting());
  s.Stop(At(1600));
  ExpectButtons(s, kHalted);
  EXPECT_FALSE(s.Waiting());
  EXPECT_EQ(log.Events(),
            (std::vector<std::string>{"start interval_ms=1000; window=Alice - Conversation", "frame 0",
                                      "lost Alice - Conversation", "pause", "resume", "reset", "stop"}));
  EXPECT_EQ(log.ends, 1);
}

TEST(RecordingWaiting, DoubleClickWhileRunningStartsAFreshFolderAndStopsTheOldLog) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  Start(s, 60'000, 1000, kLaterStart);
  EXPECT_EQ(log.Events()[2], "stop a new recording was started");
  EXPECT_EQ(log.ends, 1);
  EXPECT_EQ(log.Events()[3], "start interval_ms=1000; window=Alice - Conversation");
  EXPECT_EQ(WriteFrame(s, 60'000), "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000001.jpg");
}

TEST(RecordingFailures, AFailedFrameHaltsWithItsReasonOnOneLineAndKeepsTheNumber) {
  RecordingState s;
  LogLines log;
  s.SetLog(&log);
  Start(s);
  WriteFrame(s, 0);
  {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, At(1000)).due);
    ASSERT_FALSE(s.BeforeCapture(At(1000), [] { return kPlenty; }));
    s.FrameFailed(UserMessage{"Failed to save to BMP:\r\nC:\\rec\\x.bmp", MessageIcon::Exclamation},
                  At(1001));
    s.FrameWritten(At(1001), 1);  // a late report for the failed frame counts nothing
  }
  ExpectButtons(s, kHalted);
  EXPECT_EQ(s.LastEnd(), RecordingEnd::Halted);
  EXPECT_EQ(s.FrameCounter(), 1);
  EXPECT_EQ(Text1(s), "0");
  EXPECT_EQ(log.Events().back(), "halt Failed to save to BMP: C:\\rec\\x.bmp");
  EXPECT_EQ(log.ends, 1);

  Start(s, 60'000, 1000, kLaterStart);
  EXPECT_EQ(WriteFrame(s, 60'000), "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000001.jpg");
  // Only a halt is the recording's own end; Stop (here by a new recording) is not.
  Start(s, 61'000, 1000, kLaterStart);
  EXPECT_EQ(s.LastEnd(), RecordingEnd::Stopped);
}

TEST(RecordingLimit, NumbersRunToSevenNinesThenTheNextFrameTimeHalts) {
  RecordingState s;
  Start(s, 0, 100);
  std::int64_t ms = 0;
  for (int i = 0; i < kMaxFrameNumber; ++i, ms += 100) {
    ASSERT_TRUE(s.BeginTick(true, At(ms)).due);
    ASSERT_FALSE(s.BeforeCapture(At(ms), nullptr));
    s.FrameWritten(At(ms), 0);
  }
  ASSERT_EQ(s.FrameCounter(), kMaxFrameNumber);
  EXPECT_FALSE(s.CounterExhausted());

  LogLines log;
  s.SetLog(&log);
  EXPECT_EQ(WriteFrame(s, ms), "C:\\rec\\" + kFirstFolder + "\\Alice9999999.jpg");
  EXPECT_EQ(Text1(s), "9999999");
  EXPECT_EQ(s.FrameCounter(), kMaxFrameNumber);
  EXPECT_TRUE(s.CounterExhausted());
  ExpectButtons(s, kRecording);

  const TickPlan plan = s.BeginTick(true, At(ms + 100));
  EXPECT_FALSE(plan.due);
  EXPECT_EQ(plan.message,
            (UserMessage{"The frame counter has reached 9999999. Press Reset to number frames from 0 again.",
                         MessageIcon::Information}));
  ExpectButtons(s, kHalted);
  EXPECT_EQ(log.Events(), (std::vector<std::string>{"frame 9999999", "halt " + plan.message->text}));

  Start(s, ms + 60'000, 100, kLaterStart);  // a new Start cannot number past it either
  EXPECT_FALSE(s.BeginTick(true, At(ms + 60'000)).due);
  ExpectButtons(s, kHalted);

  s.ResetFrameCounter(At(ms + 61'000));
  EXPECT_FALSE(s.CounterExhausted());
  Start(s, ms + 62'000, 100, kLaterStart);
  EXPECT_EQ(WriteFrame(s, ms + 62'000), "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000000.jpg");
}

TEST(RecordingReentrancy, TickArrivingDuringATickIsDropped) {
  RecordingState s;
  Start(s);
  {
    TickGuard outer(s);
    ASSERT_TRUE(outer.entered());
    ASSERT_TRUE(s.BeginTick(true, At(0)).due);
    {
      // Delivered by a message box's modal loop inside the outer tick.
      TickGuard inner(s);
      EXPECT_FALSE(inner.entered());
    }
    EXPECT_TRUE(s.TickInProgress());  // the dropped tick did not release the outer one
    ASSERT_FALSE(s.BeforeCapture(At(0), nullptr));
    s.FrameWritten(At(0), 0);
  }
  EXPECT_FALSE(s.TickInProgress());
  EXPECT_EQ(s.FrameCounter(), 1);

  EXPECT_TRUE(s.TryEnterTick());
  EXPECT_FALSE(s.TryEnterTick());
  s.LeaveTick();
  TickGuard next(s);
  EXPECT_TRUE(next.entered());
}

}  // namespace
}  // namespace lumavex
