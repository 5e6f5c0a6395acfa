#include <gtest/gtest.h>

#include <string>

#include "recording/recording_state.h"

namespace lumavex {
namespace {

const std::string kTitle = "Alice - Conversation";
const std::string kSave = "C:\\rec";
// A short save folder on a volume whose free space is unknown.
const SaveFolder kSaveFolder{kSave, std::nullopt};
constexpr LocalTime kFirstStart{2004, 3, 7, 14, 5, 9};
constexpr LocalTime kLaterStart{2004, 3, 7, 14, 6, 0};
const std::string kFirstFolder = "Alice07_Mar_2004_02_05_09_PM";

struct Buttons {
  bool timer, start, btstop, pause, reset;
};

void ExpectButtons(const RecordingState& s, Buttons b) {
  const RecordingControls& c = s.Controls();
  EXPECT_EQ(c.timer1Enabled, b.timer);
  EXPECT_EQ(c.startEnabled, b.start);
  EXPECT_EQ(c.btstopEnabled, b.btstop);
  EXPECT_EQ(c.pauseEnabled, b.pause);
  EXPECT_EQ(c.resetEnabled, b.reset);
}

constexpr Buttons kIdle{false, true, false, false, false};
constexpr Buttons kRecording{true, false, true, true, true};
constexpr Buttons kHalted{false, true, false, false, true};

void Start(RecordingState& s, const LocalTime& at = kFirstStart) {
  ASSERT_TRUE(s.StartRecording(true, kTitle, at, EnglishLocaleNames(), kSaveFolder).started);
}

// One tick that captures and writes; returns the JPG path it wrote.
std::string WriteFrame(RecordingState& s, const std::string& title = kTitle) {
  TickGuard guard(s);
  EXPECT_TRUE(guard.entered());
  const TickPlan plan = s.BeginTick(true);
  EXPECT_TRUE(plan.capture);
  EXPECT_FALSE(plan.message);
  const std::string path = s.FramePathsFor(kSave, title).jpg;
  s.FrameWritten();
  return path;
}

TEST(RecordingStart, StartUpStateThenStartWithRow) {
  RecordingState s;
  ExpectButtons(s, kIdle);
  EXPECT_EQ(s.Controls().timer1IntervalMs, 0);
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_EQ(s.RecordingFolder(), "");
  EXPECT_EQ(s.Controls().text1, "");

  const StartOutcome out = s.StartRecording(true, kTitle, kFirstStart, EnglishLocaleNames(), kSaveFolder);
  EXPECT_TRUE(out.started);
  EXPECT_FALSE(out.message);
  ExpectButtons(s, kRecording);
  EXPECT_EQ(s.Controls().timer1IntervalMs, 1000);
  EXPECT_EQ(s.RecordingFolder(), kFirstFolder);
  EXPECT_EQ(s.RecordingFolderPath(kSave), "C:\\rec\\" + kFirstFolder);
  EXPECT_EQ(s.RecordingFolderPath("C:\\"), "C:\\\\" + kFirstFolder);
  EXPECT_EQ(s.FrameCounter(), 0);
}

TEST(RecordingStart, WithoutRowOnlyStopsTheTimer) {
  RecordingState idle;
  const StartOutcome out = idle.StartRecording(false, "", kFirstStart, EnglishLocaleNames(), kSaveFolder);
  EXPECT_FALSE(out.started);
  EXPECT_EQ(out.message, (UserMessage{"choose a webcam from the list first", MessageIcon::None}));
  ExpectButtons(idle, kIdle);

  RecordingState recording;
  Start(recording);
  WriteFrame(recording);
  recording.StartRecording(false, "", kLaterStart, EnglishLocaleNames(), kSaveFolder);
  ExpectButtons(recording, Buttons{false, false, true, true, true});
  EXPECT_EQ(recording.RecordingFolder(), kFirstFolder);
  EXPECT_EQ(recording.FrameCounter(), 1);
}

TEST(RecordingStart, FolderThatCannotBeMadeHalts) {
  RecordingState s;
  Start(s);
  const UserMessage m = s.FolderCreationFailed(s.RecordingFolderPath("Q:\\gone"));
  EXPECT_EQ(m.text, "Could not create the recording folder:\r\nQ:\\gone\\" + kFirstFolder);
  EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  ExpectButtons(s, kHalted);
}

TEST(RecordingTicks, ThreeFramesThenStopThenStartContinuesNumbering) {
  RecordingState s;
  Start(s);
  EXPECT_EQ(WriteFrame(s), "C:\\rec\\" + kFirstFolder + "\\Alice0000000.jpg");
  EXPECT_EQ(s.Controls().text1, "0");
  EXPECT_EQ(WriteFrame(s), "C:\\rec\\" + kFirstFolder + "\\Alice0000001.jpg");
  EXPECT_EQ(WriteFrame(s), "C:\\rec\\" + kFirstFolder + "\\Alice0000002.jpg");
  EXPECT_EQ(s.Controls().text1, "2");
  EXPECT_EQ(s.FrameCounter(), 3);

  s.HaltRecording();
  ExpectButtons(s, kHalted);
  EXPECT_EQ(s.FrameCounter(), 3);
  EXPECT_EQ(s.RecordingFolder(), kFirstFolder);
  EXPECT_FALSE(s.BeginTick(true).capture);  // a stale tick after Stop does nothing

  Start(s, kLaterStart);
  EXPECT_EQ(s.RecordingFolder(), "Alice07_Mar_2004_02_06_00_PM");
  const TickPlan plan = s.BeginTick(true);
  EXPECT_EQ(plan.frameNumberText, "0000003");
  const FramePaths paths = s.FramePathsFor(kSave, kTitle);
  EXPECT_EQ(paths.bmp, "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000003.bmp");
  EXPECT_EQ(paths.jpg, "C:\\rec\\Alice07_Mar_2004_02_06_00_PM\\Alice0000003.jpg");
}

TEST(RecordingTicks, FollowTheRowAndSavePathOfEachTick) {
  RecordingState s;
  Start(s);
  WriteFrame(s);
  EXPECT_EQ(s.FramePathsFor("D:\\other\\", "Bob - Conversation").jpg,
            "D:\\other\\\\" + kFirstFolder + "\\Bob0000001.jpg");
}

TEST(RecordingTicks, NoSelectedRowStopsTimerButKeepsButtons) {
  RecordingState s;
  Start(s);
  const TickPlan plan = s.BeginTick(false);
  EXPECT_FALSE(plan.capture);
  EXPECT_EQ(plan.message, (UserMessage{"choose a webcam from the list first", MessageIcon::None}));
  ExpectButtons(s, Buttons{false, false, true, true, true});
  EXPECT_EQ(s.FrameCounter(), 0);
}

TEST(RecordingTicks, ResetWhileRecordingRenumbersInTheSameFolder) {
  RecordingState s;
  Start(s);
  WriteFrame(s);
  WriteFrame(s);
  s.ResetFrameCounter();
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_EQ(s.Controls().text1, "1");
  ExpectButtons(s, kRecording);
  EXPECT_EQ(WriteFrame(s), "C:\\rec\\" + kFirstFolder + "\\Alice0000000.jpg");
}

TEST(RecordingFailures, JpegFailureHaltsWithoutUsingTheNumber) {
  RecordingState s;
  Start(s);
  WriteFrame(s);
  ASSERT_TRUE(s.BeginTick(true).capture);
  s.FrameFailed();
  ExpectButtons(s, kHalted);
  EXPECT_EQ(s.FrameCounter(), 1);
  EXPECT_EQ(s.Controls().text1, "0");

  Start(s, kLaterStart);
  EXPECT_EQ(s.BeginTick(true).frameNumberText, "0000001");
}

TEST(RecordingFailures, BmpFailureAndClosedWindowHaltWithMessage) {
  RecordingState s;
  Start(s);
  ASSERT_TRUE(s.BeginTick(true).capture);
  const std::string bmp = s.FramePathsFor(kSave, kTitle).bmp;
  EXPECT_EQ(s.BmpFailed(bmp), (UserMessage{"Failed to save to BMP:\r\n" + bmp, MessageIcon::Exclamation}));
  ExpectButtons(s, kHalted);
  EXPECT_EQ(s.FrameCounter(), 0);
  s.FrameWritten();  // a late report for the failed tick counts nothing
  EXPECT_EQ(s.FrameCounter(), 0);

  Start(s, kLaterStart);
  ASSERT_TRUE(s.BeginTick(true).capture);
  EXPECT_EQ(s.WindowClosed(),
            (UserMessage{"The webcam window has been closed. Recording stopped.", MessageIcon::Information}));
  ExpectButtons(s, kHalted);
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_EQ(s.Controls().text1, "");
}

TEST(RecordingFailures, OneCountPerCapturingTick) {
  RecordingState s;
  Start(s);
  s.FrameWritten();  // no tick yet
  EXPECT_EQ(s.FrameCounter(), 0);
  ASSERT_TRUE(s.BeginTick(true).capture);
  s.FrameWritten();
  s.FrameWritten();
  EXPECT_EQ(s.FrameCounter(), 1);
}

TEST(RecordingLimit, Frame32767IsWrittenOnceThenTheNextTickHalts) {
  RecordingState s;
  Start(s);
  for (int i = 0; i < 32767; ++i) {
    ASSERT_TRUE(s.BeginTick(true).capture);
    s.FrameWritten();
  }
  ASSERT_EQ(s.FrameCounter(), 32767);
  EXPECT_FALSE(s.CounterExhausted());

  EXPECT_EQ(WriteFrame(s), "C:\\rec\\" + kFirstFolder + "\\Alice0032767.jpg");
  EXPECT_EQ(s.Controls().text1, "32767");
  EXPECT_EQ(s.FrameCounter(), 32767);
  EXPECT_TRUE(s.CounterExhausted());
  ExpectButtons(s, kRecording);

  const TickPlan plan = s.BeginTick(true);
  EXPECT_FALSE(plan.capture);
  EXPECT_EQ(plan.message,
            (UserMessage{"The frame counter has reached 32767. Press Reset to number frames from 0 again.",
                         MessageIcon::Information}));
  ExpectButtons(s, kHalted);

  Start(s, kLaterStart);  // a new Start cannot number past 32767 either
  EXPECT_FALSE(s.BeginTick(true).capture);
  ExpectButtons(s, kHalted);

  s.ResetFrameCounter();
  EXPECT_FALSE(s.CounterExhausted());
  Start(s, kLaterStart);
  EXPECT_EQ(s.BeginTick(true).frameNumberText, "0000000");
}

TEST(RecordingReentrancy, TickArrivingDuringATickIsDropped) {
  RecordingState s;
  Start(s);
  {
    TickGuard outer(s);
    ASSERT_TRUE(outer.entered());
    ASSERT_TRUE(s.BeginTick(true).capture);
    {
      // Delivered by a message box's modal loop inside the outer tick.
      TickGuard inner(s);
      EXPECT_FALSE(inner.entered());
    }
    EXPECT_TRUE(s.TickInProgress());  // the dropped tick did not release the outer one
    s.FrameWritten();
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
