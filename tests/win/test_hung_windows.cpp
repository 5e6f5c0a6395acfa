// Windows whose program does not answer: a stopped one (its thread suspended
// while it waited for messages) and one whose thread sleeps in its window
// procedure. Nothing of Lumavex waits for them: Refresh List, the ticks, the
// waiting search, Stop, closing and --record keep their times (each measured
// and printed; the bounds are wide, the hangs far longer), and a recorded
// window that hangs is still recorded, with `hung` and `answering` in
// times.csv.
#include <gtest/gtest.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "command_line_support.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/foreign_window.h"
#include "recording/times_csv.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"
#include "tools/lvctl/times_figures.h"

namespace lumavex {
namespace {

using Clock = std::chrono::steady_clock;

// Seconds `work` took, printed under `what` for the record.
double Timed(const char* what, const std::function<void()>& work) {
  const Clock::time_point start = Clock::now();
  work();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%s: %.3f s\n", what, seconds);
  return seconds;
}

// Far below the hangs here (stopped for good, or 7 s), far above any call.
constexpr double kKeepsItsTime = 2.0;

bool Topmost(HWND window) { return (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A demo window stopped for the test's scope and let go on at its end, so
// what it was handed meanwhile does not outlive the test unseen.
class Stopped {
 public:
  explicit Stopped(test::DemoWindow& demo) : demo_(demo), ok_(demo.Suspend()) {}
  ~Stopped() {
    if (ok_) demo_.Resume();
  }
  bool ok() const { return ok_; }

 private:
  test::DemoWindow& demo_;
  bool ok_;
};

class HungWindows : public test::SaveFolderTest {
 protected:
  void TearDown() override {
    form_.reset();
    SaveFolderTest::TearDown();
  }

  void OpenForm() {
    form_ = test::OpenRecordingForm(save_.path());
    ASSERT_NE(form_, nullptr);
  }
  void Press(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }
  std::string Folder() const { return save_.path() + "\\" + form_->recorder.State().RecordingFolder(); }
  TimesCsvContents Times(const std::string& folder) const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(folder + "\\times.csv", bytes);
    return ParseTimesCsv(std::string(bytes.begin(), bytes.end()));
  }
  static std::int64_t WallNow() { return UtcMilliseconds(ReadRecordingClock().utc); }
  static const TimesRecord* Find(const TimesCsvContents& times, TimesEvent event) {
    for (const TimesRecord& r : times.records)
      if (r.event == event) return &r;
    return nullptr;
  }

  test::MessageRecorder messages_;
  std::unique_ptr<Form1> form_;
};

// Refresh List restores and raises every conversation window: a stopped one
// and a sleeping one cost it a short fence each, and the window that
// answers is listed.
TEST_F(HungWindows, RefreshListKeepsItsTimeAndListsTheWindowThatAnswers) {
  test::DemoWindow sleeping("Bea --still --pos 420 380", "Bea - Conversation");
  test::DemoWindow stopped("Cal --still --pos 60 380", "Cal - Conversation");
  test::DemoWindow answering("Dot --still --pos 420 40", "Dot - Conversation");
  ASSERT_TRUE(sleeping.ok() && stopped.ok() && answering.ok());
  OpenForm();
  ::ShowWindow(stopped.hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsIconic(stopped.hwnd()) != 0; }));
  Stopped stop(stopped);
  ASSERT_TRUE(stop.ok());
  sleeping.HangFor(8000);
  ASSERT_TRUE(test::PumpUntil([&] { return !TakesMessagesWithin(sleeping.hwnd(), 50); }));

  EXPECT_LT(Timed("Refresh List with a stopped and a sleeping window", [&] { Press(form_->Command1); }),
            kKeepsItsTime);
  bool listed = false;
  for (int i = 0; i < ListCount(form_->List1); ++i)
    listed |= reinterpret_cast<HWND>(ListData(form_->List1, i)) == answering.hwnd();
  EXPECT_TRUE(listed);
  EXPECT_TRUE(Topmost(answering.hwnd()));
  EXPECT_TRUE(::IsIconic(stopped.hwnd())) << "a stopped window cannot have been restored";
}

// The recorded window's thread sleeps for 7 s: the frames go on from the
// screen at their pace, times.csv says `hung` once the system's 5 s have
// passed and `answering` once it reads its messages again. Real timers,
// one frame a second.
TEST_F(HungWindows, ARecordedWindowThatHangsIsRecordedAndSaidHungThenAnswering) {
  test::DemoWindow eve("Eve --still --pos 60 60", "Eve - Conversation");
  ASSERT_TRUE(eve.ok());
  OpenForm();
  Press(form_->Command1);
  ASSERT_TRUE(test::SelectRowOf(*form_, eve.hwnd()));
  Press(form_->Start);
  const std::string folder = Folder();
  ASSERT_TRUE(test::PumpUntil([&] { return test::FramesIn(folder).size() >= 2; }, 10000));

  const std::int64_t hungAt = WallNow();
  eve.HangFor(7000);
  const auto answered = [&] { return Find(Times(folder), TimesEvent::Answering) != nullptr; };
  ASSERT_TRUE(test::PumpUntil(answered, 15000));
  test::PumpFor(1500);
  Press(form_->btstop);

  const TimesCsvContents times = Times(folder);
  const TimesRecord* hung = Find(times, TimesEvent::Hung);
  const TimesRecord* again = Find(times, TimesEvent::Answering);
  ASSERT_NE(hung, nullptr);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(hung->detail, "Eve - Conversation");
  std::printf("hung said %lld ms, answering %lld ms after the hang began\n",
              static_cast<long long>(UtcMilliseconds(hung->time) - hungAt),
              static_cast<long long>(UtcMilliseconds(again->time) - hungAt));
  EXPECT_GE(UtcMilliseconds(hung->time), hungAt + 4500);
  EXPECT_LE(UtcMilliseconds(hung->time), hungAt + 7000);
  EXPECT_GE(UtcMilliseconds(again->time), hungAt + 6500);
  EXPECT_LE(UtcMilliseconds(again->time), hungAt + 7000 + 3000);
  int hungLines = 0, answeringLines = 0, framesWhileHung = 0;
  std::int64_t lastFrame = 0, longestGap = 0;
  for (const TimesRecord& r : times.records) {
    hungLines += r.event == TimesEvent::Hung;
    answeringLines += r.event == TimesEvent::Answering;
    if (r.event != TimesEvent::Frame) continue;
    const std::int64_t at = UtcMilliseconds(r.time);
    if (at > hungAt && at < hungAt + 7000) ++framesWhileHung;
    if (lastFrame) longestGap = std::max(longestGap, at - lastFrame);
    lastFrame = at;
  }
  EXPECT_EQ(hungLines, 1);
  EXPECT_EQ(answeringLines, 1);
  std::printf("%d frames during the 7 s hang, longest gap between frames %lld ms\n", framesWhileHung,
              static_cast<long long>(longestGap));
  EXPECT_GE(framesWhileHung, 5);
  EXPECT_LE(longestGap, 1800);
  const std::vector<std::string> frames = test::FramesIn(folder);
  ASSERT_FALSE(frames.empty());
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + frames[frames.size() / 2], 24));
  EXPECT_TRUE(messages_.messages().empty());
}

// A stopped recorded window that lost its topmost place: the ticks hand it
// the request once and go on, and Stop and closing Lumavex keep their times.
TEST_F(HungWindows, TicksStopAndClosingKeepTheirTimesWhileTheRecordedWindowIsStopped) {
  test::ManualClock clock;
  test::DemoWindow fay("Fay --still --pos 60 60", "Fay - Conversation");
  ASSERT_TRUE(fay.ok());
  OpenForm();
  Press(form_->Command1);
  ASSERT_TRUE(test::SelectRowOf(*form_, fay.hwnd()));
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  ::SetWindowPos(fay.hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  test::PumpFor(100);  // the tick's question is answered
  const std::string first = Folder();
  Stopped stop(fay);
  ASSERT_TRUE(stop.ok());
  for (int i = 0; i < 3; ++i)
    EXPECT_LT(Timed("a tick of a stopped recorded window", [&] { test::TickOnSchedule(*form_, clock); }),
              kKeepsItsTime);
  EXPECT_EQ(test::FramesIn(first).size(), 4u) << "recorded from the screen";
  EXPECT_LT(Timed("Stop", [&] { Press(form_->btstop); }), kKeepsItsTime);

  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  const std::string second = Folder();
  ASSERT_NE(second, first);
  EXPECT_LT(Timed("closing Lumavex while recording", [&] { form_.reset(); }), kKeepsItsTime);
  const TimesCsvContents times = Times(second);
  ASSERT_FALSE(times.records.empty());
  EXPECT_EQ(times.records.back().event, TimesEvent::Stop);
  EXPECT_EQ(times.records.back().detail, "Lumavex was closed");
  EXPECT_TRUE(messages_.messages().empty());
}

// While the recording waits, a stopped look-alike (same title, failing the
// webcam test) is passed over at once; the window that opens later is
// found, and its `back` line has the time it was found.
TEST_F(HungWindows, TheWaitingSearchPassesOverAStoppedLookAlike) {
  test::ManualClock clock;
  auto gil = std::make_unique<test::DemoWindow>("Gil --still --pos 60 60", "Gil - Conversation");
  ASSERT_TRUE(gil->ok());
  OpenForm();
  Press(form_->Command1);
  ASSERT_TRUE(test::SelectRowOf(*form_, gil->hwnd()));
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  gil->Close();
  test::TickOnSchedule(*form_, clock);
  ASSERT_TRUE(form_->recorder.State().Waiting());

  test::DemoWindow lookAlike("Gil --still --bad-second --pos 420 380", "Gil - Conversation");
  ASSERT_TRUE(lookAlike.ok());
  Stopped stop(lookAlike);
  ASSERT_TRUE(stop.ok());
  for (int i = 0; i < 3; ++i)
    EXPECT_LT(Timed("a waiting tick beside a stopped look-alike",
                    [&] { test::TickOnSchedule(*form_, clock); }),
              kKeepsItsTime);
  EXPECT_TRUE(form_->recorder.State().Waiting());

  test::DemoWindow again("Gil --still --reversed --pos 420 40", "Gil - Conversation");
  ASSERT_TRUE(again.ok());
  const std::int64_t beforeTick = WallNow();
  EXPECT_LT(Timed("the tick that finds the window", [&] { test::TickOnSchedule(*form_, clock); }),
            kKeepsItsTime);
  const std::int64_t afterTick = WallNow();
  EXPECT_FALSE(form_->recorder.State().Waiting());
  Press(form_->btstop);

  const TimesCsvContents times = Times(Folder());
  const TimesRecord* back = Find(times, TimesEvent::Back);
  ASSERT_NE(back, nullptr);
  EXPECT_GE(UtcMilliseconds(back->time), beforeTick);
  EXPECT_LE(UtcMilliseconds(back->time), afterTick);
  const TimesRecord& frame = times.records[times.records.size() - 2];
  ASSERT_EQ(frame.event, TimesEvent::Frame);
  EXPECT_GE(UtcMilliseconds(frame.time), UtcMilliseconds(back->time));
  EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\Gil0000001.jpg", 24, true));
}

// --record's search and --for beside a stopped look-alike: no window that
// passes gives up after its time, and one that does is recorded for its
// time. Lumavex's start (its own Refresh List) is part of both.
TEST_F(HungWindows, RecordKeepsItsSearchAndItsDurationBesideAStoppedLookAlike) {
  test::DemoWindow lookAlike("Hal --still --bad-second --pos 420 380", "Hal - Conversation");
  ASSERT_TRUE(lookAlike.ok());
  Stopped stop(lookAlike);
  ASSERT_TRUE(stop.ok());
  test::LumavexRun run;
  const double searched = Timed("--record --for 2 finding only a stopped look-alike", [&] {
    run = test::RunLumavex("--record \"Hal - Conversation\" --save-to " + test::Quoted(save_.path()) +
                           " --for 2");
  });
  EXPECT_EQ(run.exitCode, 1u) << run.err;
  EXPECT_GE(searched, 2.0);
  EXPECT_LT(searched, 2.0 + 6.0);  // the program's start under Wine included

  test::DemoWindow hal("Hal --still --pos 60 60", "Hal - Conversation");
  ASSERT_TRUE(hal.ok());
  const double recorded = Timed("--record --for 3 beside a stopped look-alike", [&] {
    run = test::RunLumavex("--record \"Hal - Conversation\" --save-to " + test::Quoted(save_.path()) +
                           " --for 3");
  });
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_GE(recorded, 3.0);
  EXPECT_LT(recorded, 3.0 + 6.0);
  const std::vector<std::string> folders = test::SubfoldersOf(save_.path());
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_GE(test::FilesIn(save_.path() + "\\" + folders[0], "*.jpg").size(), 2u);
}

}  // namespace
}  // namespace lumavex
