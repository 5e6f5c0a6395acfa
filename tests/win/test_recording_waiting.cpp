// A recording whose window goes away waits for it, silently: no frames while
// it is gone, the preview saying what it waits for, and the next window with
// exactly its title (and the webcam pane) recorded into the same folder with
// the numbers going on. Pause, Reset and Stop work meanwhile, and waiting
// costs no memory.
#include <gtest/gtest.h>
#include <ole2.h>
#include <psapi.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/picture_view.h"
#include "recording/frame_naming.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"
#include "tools/lvctl/times_figures.h"

namespace lumavex {
namespace {

class RecordingWaits : public test::SaveFolderTest {
 protected:
  void TearDown() override {
    form_.reset();
    SaveFolderTest::TearDown();
  }

  void OpenForm(HWND demo) {
    form_ = test::OpenRecordingForm(save_.path());
    ASSERT_NE(form_, nullptr);
    ASSERT_TRUE(test::SelectRowOf(*form_, demo)) << "listed: " << Rows();
  }
  // What List1 lists, for a failure's message.
  std::string Rows() const {
    std::string rows;
    for (int i = 0; i < ListCount(form_->List1); ++i) rows += "\"" + ListText(form_->List1, i) + "\" ";
    return rows.empty() ? "nothing" : rows;
  }
  void Press(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }
  std::string Folder() const { return save_.path() + "\\" + form_->recorder.State().RecordingFolder(); }
  TimesCsvContents Times() const {
    std::vector<std::uint8_t> bytes;
    ReadWholeFile(Folder() + "\\times.csv", bytes);
    return ParseTimesCsv(std::string(bytes.begin(), bytes.end()));
  }
  static std::vector<TimesEvent> EventsOf(const TimesCsvContents& contents) {
    std::vector<TimesEvent> events;
    for (const TimesRecord& r : contents.records) events.push_back(r.event);
    return events;
  }
  static std::int64_t WallNow() { return UtcMilliseconds(ReadRecordingClock().utc); }

  test::MessageRecorder messages_;
  std::unique_ptr<Form1> form_;
};

// The call drops and reconnects: the window closes, and 3 s later a new one
// with the same title opens elsewhere on the screen. Real timers, 1 s apart.
TEST_F(RecordingWaits, AWindowThatReopensIsRecordedOnInTheSameFolder) {
  auto first = std::make_unique<test::DemoWindow>("Carol --still --pos 60 60", "Carol - Conversation");
  ASSERT_TRUE(first->ok());
  OpenForm(first->hwnd());
  Press(form_->Start);
  const std::string folder = Folder();
  ASSERT_TRUE(test::PumpUntil([&] { return test::FramesIn(folder).size() >= 3; }, 15000));

  const std::int64_t closedAt = WallNow();
  first->Close();
  test::PumpFor(3000);
  EXPECT_TRUE(form_->recorder.State().Waiting());
  EXPECT_EQ(ControlText(form_->Image1), "Waiting for Carol - Conversation");
  EXPECT_FALSE(IsControlEnabled(form_->Start));
  const std::size_t framesOfTheFirst = test::FramesIn(folder).size();

  const std::int64_t openedAt = WallNow();
  test::DemoWindow second("Carol --still --reversed --pos 420 260", "Carol - Conversation");
  ASSERT_TRUE(second.ok());
  const std::int64_t shownAt = WallNow();
  test::PumpFor(3000);
  Press(form_->btstop);

  EXPECT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
  EXPECT_EQ(test::SubfoldersOf(save_.path()).size(), 1u);
  const std::vector<std::string> frames = test::FramesIn(folder);
  ASSERT_GE(frames.size(), framesOfTheFirst + 2);
  std::size_t switchedAt = frames.size();
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i], "Carol" + FrameNumberText(static_cast<int>(i)) + ".jpg");
    const bool ofFirst = test::ShowsDemoPane(folder + "\\" + frames[i], 24);
    const bool ofSecond = test::ShowsDemoPane(folder + "\\" + frames[i], 24, true);
    EXPECT_TRUE(ofFirst != ofSecond) << frames[i] << " shows neither window's pane";
    if (ofSecond && switchedAt == frames.size()) switchedAt = i;
    if (ofFirst) EXPECT_LT(i, switchedAt) << frames[i] << " of the first window after the second's";
  }
  EXPECT_EQ(switchedAt, framesOfTheFirst);

  const TimesCsvContents times = Times();
  EXPECT_TRUE(times.header);
  EXPECT_FALSE(times.tornLastLine);
  std::vector<TimesEvent> expected{TimesEvent::Start};
  expected.insert(expected.end(), framesOfTheFirst, TimesEvent::Frame);
  expected.push_back(TimesEvent::Lost);
  expected.push_back(TimesEvent::Back);
  expected.insert(expected.end(), frames.size() - framesOfTheFirst, TimesEvent::Frame);
  expected.push_back(TimesEvent::Stop);
  ASSERT_EQ(EventsOf(times), expected);
  const TimesRecord& lost = times.records[1 + framesOfTheFirst];
  const TimesRecord& back = times.records[2 + framesOfTheFirst];
  EXPECT_EQ(lost.detail, "Carol - Conversation");
  // Noticed at the first tick after the close, found at the first tick
  // after the new window showed its pane (ticks may come a little late).
  EXPECT_GE(UtcMilliseconds(lost.time), closedAt);
  EXPECT_LE(UtcMilliseconds(lost.time), closedAt + 1000 + 1000);
  EXPECT_GE(UtcMilliseconds(back.time), openedAt);
  EXPECT_LE(UtcMilliseconds(back.time), shownAt + 1000 + 1000);
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const TimesRecord& r = times.records[i < framesOfTheFirst ? 1 + i : 3 + i];
    EXPECT_EQ(r.frame, static_cast<std::int64_t>(i));
    if (i < framesOfTheFirst) EXPECT_LT(UtcMilliseconds(r.time), UtcMilliseconds(lost.time));
    if (i >= framesOfTheFirst) EXPECT_GE(UtcMilliseconds(r.time), UtcMilliseconds(back.time));
  }
}

TEST_F(RecordingWaits, PauseResetAndStopWorkWhileWaiting) {
  test::ManualClock clock;
  auto dave = std::make_unique<test::DemoWindow>("Dave --still --pos 60 60", "Dave - Conversation");
  ASSERT_TRUE(dave->ok());
  OpenForm(dave->hwnd());
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  dave->Close();
  test::TickOnSchedule(*form_, clock);
  ASSERT_TRUE(form_->recorder.State().Waiting());

  Press(form_->pause);
  EXPECT_TRUE(IsControlEnabled(form_->Start));
  EXPECT_TRUE(IsControlEnabled(form_->btstop));
  EXPECT_FALSE(IsControlEnabled(form_->pause));
  EXPECT_FALSE(form_->Timer1.Running());
  clock.Advance(10'000);
  form_->Timer1_Timer();  // paused: nothing

  Press(form_->Start);  // resumes, and goes on waiting
  EXPECT_TRUE(form_->recorder.State().Waiting());
  EXPECT_FALSE(IsControlEnabled(form_->Start));
  EXPECT_TRUE(form_->Timer1.Running());
  EXPECT_EQ(ControlText(form_->Image1), "Waiting for Dave - Conversation");
  Press(form_->reset);
  EXPECT_EQ(form_->recorder.State().FrameCounter(), 0);
  test::TickOnSchedule(*form_, clock);

  Press(form_->btstop);
  EXPECT_FALSE(form_->Timer1.Running());
  EXPECT_TRUE(IsControlEnabled(form_->Start));
  EXPECT_FALSE(IsControlEnabled(form_->btstop));
  EXPECT_FALSE(form_->recorder.State().Active());
  EXPECT_EQ(ControlText(form_->Image1), "");
  EXPECT_EQ(test::FramesIn(Folder()), (std::vector<std::string>{"Dave0000000.jpg"}));
  EXPECT_EQ(EventsOf(Times()),
            (std::vector<TimesEvent>{TimesEvent::Start, TimesEvent::Frame, TimesEvent::Lost,
                                     TimesEvent::Pause, TimesEvent::Resume, TimesEvent::Reset,
                                     TimesEvent::Stop}));
  EXPECT_TRUE(messages_.messages().empty());
}

// Hidden is gone too; shown again, the same window is back.
TEST_F(RecordingWaits, AHiddenWindowIsWaitedForUntilItShowsAgain) {
  test::ManualClock clock;
  test::DemoWindow erin("Erin --still --pos 60 60", "Erin - Conversation");
  ASSERT_TRUE(erin.ok());
  OpenForm(erin.hwnd());
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  ::ShowWindow(erin.hwnd(), SW_HIDE);
  ASSERT_TRUE(test::PumpUntil([&] { return !::IsWindowVisible(erin.hwnd()); }));
  test::TickOnSchedule(*form_, clock);
  test::TickOnSchedule(*form_, clock);
  EXPECT_TRUE(form_->recorder.State().Waiting());
  EXPECT_FALSE(::IsWindowVisible(erin.hwnd())) << "looking for the window must not show it";
  ::ShowWindow(erin.hwnd(), SW_SHOWNOACTIVATE);
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsWindowVisible(erin.hwnd()) != 0; }));
  // It repaints in its own process: tick until a frame of its pane is in.
  const std::string folder = Folder();
  ASSERT_TRUE(test::PumpUntil(
      [&] {
        test::TickOnSchedule(*form_, clock);
        const std::vector<std::string> frames = test::FramesIn(folder);
        return frames.size() >= 2 && test::ShowsDemoPane(folder + "\\" + frames.back(), 24);
      },
      10000));
  Press(form_->btstop);
  EXPECT_EQ(test::FramesIn(folder)[1], "Erin0000001.jpg");
  const std::vector<TimesEvent> events = EventsOf(Times());
  ASSERT_GE(events.size(), 5u);
  EXPECT_EQ(events[2], TimesEvent::Lost);
  EXPECT_EQ(events[3], TimesEvent::Back);
  EXPECT_TRUE(messages_.messages().empty());
}

// While the recording waits, only visible, non-minimised windows of its
// title are tested, and a window is raised only once it has passed: a
// look-alike that fails keeps its place and its z-order (under the window
// covering it), and a minimised one stays minimised, for as long as the
// recording waits. Refresh List alone restores and raises them.
TEST_F(RecordingWaits, LookAlikesThatAreNotTheWebcamWindowAreLeftAsTheyAre) {
  test::ManualClock clock;
  auto ida = std::make_unique<test::DemoWindow>("Ida --still --pos 60 60", "Ida - Conversation");
  ASSERT_TRUE(ida->ok());
  OpenForm(ida->hwnd());
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  ida->Close();
  test::TickOnSchedule(*form_, clock);
  ASSERT_TRUE(form_->recorder.State().Waiting());

  test::DemoWindow lookAlike("Ida --still --bad-second --pos 420 40", "Ida - Conversation");
  test::DemoWindow cover("--still --pos 600 200 --size 200 120 --title Cover", "Cover");
  // Would pass the test, but only once restored.
  test::DemoWindow minimised("Ida --still --minimized --pos 60 380", "Ida - Conversation", false);
  ASSERT_TRUE(lookAlike.ok() && cover.ok() && minimised.ok());
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsIconic(minimised.hwnd()) != 0; }));
  const auto zOrder = [&] {
    // The look-alike's place below the cover, counted in windows.
    int between = 0;
    for (HWND w = ::GetWindow(cover.hwnd(), GW_HWNDNEXT); w && w != lookAlike.hwnd();
         w = ::GetWindow(w, GW_HWNDNEXT))
      ++between;
    return between;
  };
  RECT placed{};
  ::GetWindowRect(lookAlike.hwnd(), &placed);
  const int below = zOrder();
  for (int i = 0; i < 5; ++i) {
    test::TickOnSchedule(*form_, clock);
    test::PumpFor(100);  // what the windows were handed, they do
  }
  EXPECT_TRUE(form_->recorder.State().Waiting());
  EXPECT_FALSE(::GetWindowLongA(lookAlike.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(::GetWindowLongA(minimised.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(::IsIconic(minimised.hwnd()));
  EXPECT_EQ(zOrder(), below);
  RECT now{};
  ::GetWindowRect(lookAlike.hwnd(), &now);
  EXPECT_TRUE(::EqualRect(&now, &placed));

  // Refresh List keeps its rules: the minimised one is restored and raised.
  Press(form_->Command1);
  EXPECT_FALSE(::IsIconic(minimised.hwnd()));
  EXPECT_TRUE(::GetWindowLongA(minimised.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  Press(form_->btstop);
  EXPECT_EQ(test::FramesIn(Folder()).size(), 1u);
}

// Closing Lumavex ends the recording, and its log says so.
TEST_F(RecordingWaits, ClosingTheWindowWhileWaitingEndsTheLog) {
  test::ManualClock clock;
  auto gus = std::make_unique<test::DemoWindow>("Gus --still --pos 60 60", "Gus - Conversation");
  ASSERT_TRUE(gus->ok());
  OpenForm(gus->hwnd());
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  gus->Close();
  test::TickOnSchedule(*form_, clock);
  const std::string folder = Folder();
  form_.reset();  // as the close box: Unload
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(folder + "\\times.csv", bytes));
  const TimesCsvContents times = ParseTimesCsv(std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(times.records.size(), 4u);
  EXPECT_EQ(times.records[2].event, TimesEvent::Lost);
  EXPECT_EQ(times.records[3].event, TimesEvent::Stop);
  EXPECT_EQ(times.records[3].detail, "Lumavex was closed");
}

SIZE_T PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof counters))
    return 0;
  // Wine may leave PrivateUsage at 0; the commit charge is then the figure.
  return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

TEST_F(RecordingWaits, AThousandWaitingTicksLeaveMemoryFlat) {
  test::ManualClock clock;
  auto fred = std::make_unique<test::DemoWindow>("Fred --still --pos 60 60", "Fred - Conversation");
  ASSERT_TRUE(fred->ok());
  // Another conversation window, with another title, is looked at and left.
  test::DemoWindow other("Gina --still --pos 420 260", "Gina - Conversation");
  ASSERT_TRUE(other.ok());
  OpenForm(fred->hwnd());
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  fred->Close();
  for (int i = 0; i < 100; ++i) test::TickOnSchedule(*form_, clock);  // warm-up
  const SIZE_T before = PrivateBytes();
  const long dcs = UniqueMemoryDc::live(), bitmaps = UniqueBitmap::live();
  const long windowDcs = WindowDc::live_count().load();
  for (int i = 0; i < 1000; ++i) {
    test::TickOnSchedule(*form_, clock);
    if (i % 100 == 0) test::PumpUntil([] { return true; });
  }
  const SIZE_T after = PrivateBytes();
  std::printf("1000 waiting ticks: %zu KB before, %zu KB after\n", before / 1024, after / 1024);
  ASSERT_NE(before, 0u) << "no memory figures";
  EXPECT_LE(after, before + 1024 * 1024);
  EXPECT_EQ(UniqueMemoryDc::live(), dcs);
  EXPECT_EQ(UniqueBitmap::live(), bitmaps);
  EXPECT_EQ(WindowDc::live_count().load(), windowDcs);
  EXPECT_TRUE(form_->recorder.State().Waiting());
  EXPECT_EQ(test::FramesIn(Folder()).size(), 1u);
  const std::vector<TimesEvent> events = EventsOf(Times());
  EXPECT_EQ(events, (std::vector<TimesEvent>{TimesEvent::Start, TimesEvent::Frame, TimesEvent::Lost}));
  EXPECT_TRUE(messages_.messages().empty());
}

}  // namespace
}  // namespace lumavex
