// times.csv and the frames it describes: the interval chosen in the Capture
// menu kept without drift, a program killed mid-recording
// leaving lines that agree with its files, and the date stamp drawn with the
// very time times.csv gives its frame and nothing else changed.
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/capture_menu.h"
#include "app/form1.h"
#include "discovery/win32/discovery.h"
#include "imaging/time_stamp.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "recording/frame_naming.h"
#include "recording/timestamp.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"
#include "tools/lvctl/remote_lumavex.h"

namespace lumavex {
namespace {

TimesCsvContents TimesIn(const std::string& folder, std::string* text = nullptr) {
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(folder + "\\times.csv", bytes);
  const std::string all(bytes.begin(), bytes.end());
  if (text) *text = all;
  return ParseTimesCsv(all);
}

// A frame file's pixels as the platform decodes them; empty when it cannot.
Image PixelsOf(const std::string& path) {
  Image image;
  if (!ImageOfPicture(LoadPicture(path).get(), image)) return Image();
  return image;
}

int IntervalItem(int ms) {
  for (std::size_t i = 0; i < kCaptureIntervalsMs.size(); ++i)
    if (kCaptureIntervalsMs[i] == ms) return kIdMenuFirstInterval + static_cast<int>(i);
  return 0;
}

class RecordingTimes : public test::DemoRecordingTest {
 protected:
  static void SetUpTestSuite() { OpenDemo("\"Zoë\" --still --pos 60 60", "Zoë - Conversation"); }
  void SetUp() override {
    DemoRecordingTest::SetUp();
    if (HasFatalFailure()) return;
    form_ = test::OpenRecordingForm(save_.path());
    ASSERT_NE(form_, nullptr);
    ASSERT_TRUE(test::SelectRowOf(*form_, demo_->hwnd()));
  }
  void TearDown() override {
    form_.reset();
    DemoRecordingTest::TearDown();
  }
  void Menu(int id) { ::SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  void Press(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }
  std::string Folder() const { return save_.path() + "\\" + form_->recorder.State().RecordingFolder(); }

  test::MessageRecorder messages_;
  std::unique_ptr<Form1> form_;
};

// A timer that drifted would be later at every frame until it missed one.
// Each tick here comes late by a different amount (the clock is the test's:
// how the real timer keeps it is bench-tick.sh --record's figure): Timer1 is
// armed for exactly the time left until the next slot, a tick late by a
// whole slot skips that slot and says so, and the frames keep their slots.
TEST_F(RecordingTimes, TimerIsArmedForTheTimeLeftUntilTheNextSlot) {
  test::ManualClock clock;
  Menu(IntervalItem(200));
  const std::int64_t start = clock.now();
  Press(form_->Start);
  EXPECT_EQ(form_->recorder.State().NextDueMs(), start + 1);  // frame 0 at once
  // Late by 0, 30 and 199 ms; then by 450 ms, past the slots at 600 and 800,
  // which are skipped; on time; then a tick before its slot, which only
  // re-arms the timer.
  const std::int64_t ticks[] = {1, 230, 599, 1050, 1200, 1300};
  const std::int64_t left[] = {199, 170, 1, 150, 200, 100};
  for (int i = 0; i < 6; ++i) {
    clock.Set(start + ticks[i]);
    form_->Timer1_Timer();
    EXPECT_TRUE(form_->Timer1.Enabled()) << i;
    EXPECT_EQ(form_->Timer1.Interval(), static_cast<UINT>(left[i])) << i;
  }
  Press(form_->btstop);
  EXPECT_FALSE(form_->Timer1.Enabled());
  EXPECT_TRUE(messages_.messages().empty());
  const TimesCsvContents times = TimesIn(Folder());
  std::vector<std::string> frames;
  for (const TimesRecord& r : times.records)
    if (r.event == TimesEvent::Frame) frames.push_back(std::to_string(*r.frame) + ":" + r.detail);
  EXPECT_EQ(frames, (std::vector<std::string>{"0:", "1:", "2:", "3:2 missed", "4:"}));
  EXPECT_EQ(test::FramesIn(Folder()).size(), 5u);
}

TEST_F(RecordingTimes, TheFileIsUtf8WithItsHeaderAndOneLinePerEvent) {
  test::ManualClock clock;
  Press(form_->Start);
  test::TickOnSchedule(*form_, clock);
  test::TickOnSchedule(*form_, clock);
  Press(form_->btstop);
  std::string text;
  const TimesCsvContents times = TimesIn(Folder(), &text);
  EXPECT_EQ(text.substr(0, 29), "time_utc,event,frame,detail\r\n");
  ASSERT_EQ(times.records.size(), 4u);
  EXPECT_EQ(times.records[0].detail, "interval_ms=1000; window=Zoë - Conversation");
  EXPECT_EQ(times.records[1].frame, 0);
  EXPECT_EQ(times.records[2].frame, 1);
  EXPECT_EQ(times.records[3].event, TimesEvent::Stop);
  EXPECT_EQ(times.malformedLines, 0u);
  // Frames are written in a scratch folder first, which goes with the end.
  EXPECT_TRUE(test::SubfoldersOf(Folder()).empty());
}

// Killed at once (no shutdown of any kind) at three different moments of a
// recording at 0.1 s with both file types: every frame line names files that
// are in place and whole, and at most the frame being written when the
// program died has files without a line.
TEST_F(RecordingTimes, AKilledRecordingLeavesLinesThatAgreeWithItsFrames) {
  form_.reset();  // the recording runs in a process of its own
  for (const int frames : {7, 23, 41}) {
    test::TempFolder appData;
    test::TempFolder save;
    ASSERT_TRUE(MakeDirectory(appData.path() + "\\Lumavex"));
    const std::string ini = "[Recording]\r\nIntervalMs=100\r\n";
    ASSERT_TRUE(WriteWholeFile(appData.path() + "\\Lumavex\\settings.ini", {{ini.data(), ini.size()}}));
    RemoteLumavex remote(appData.path());
    ASSERT_TRUE(remote.ok());
    remote.MoveTo(600, 470);
    remote.SetSavePath(save.path());
    ASSERT_TRUE(remote.SelectRow("Zoë - Conversation"));
    ::SendMessageW(remote.Control(kIdCbBmp), BM_CLICK, 0, 0);
    remote.Click(kIdStart);
    const std::vector<std::string> folders = test::SubfoldersOf(save.path());
    ASSERT_EQ(folders.size(), 1u);
    const std::string folder = save.path() + "\\" + folders[0];
    ASSERT_TRUE(test::PumpUntil(
        [&] { return test::FilesIn(folder, "*.jpg").size() >= static_cast<std::size_t>(frames); }, 20000));
    remote.Kill();

    const TimesCsvContents times = TimesIn(folder);
    EXPECT_TRUE(times.header);
    EXPECT_EQ(times.malformedLines, 0u);
    std::int64_t lines = 0;
    for (const TimesRecord& r : times.records) {
      if (r.event != TimesEvent::Frame) continue;
      ASSERT_EQ(r.frame, lines) << "numbers in order from 0";
      const std::string name = folder + "\\Zoë" + FrameNumberText(static_cast<int>(lines));
      EXPECT_TRUE(test::ShowsDemoPane(name + ".jpg", 24));
      EXPECT_TRUE(test::ShowsDemoPane(name + ".bmp", 0));
      ++lines;
    }
    EXPECT_GE(lines, frames - 1);
    // Files of the frame that was being written may be there without its line.
    const std::size_t jpgs = test::FilesIn(folder, "*.jpg").size();
    const std::size_t bmps = test::FilesIn(folder, "*.bmp").size();
    EXPECT_TRUE(jpgs == static_cast<std::size_t>(lines) || jpgs == static_cast<std::size_t>(lines) + 1)
        << jpgs;
    EXPECT_TRUE(bmps == static_cast<std::size_t>(lines) || bmps == static_cast<std::size_t>(lines) + 1)
        << bmps;
    std::printf("killed after %d frames: %lld frame lines, %zu JPG and %zu BMP files, torn last line: %s\n",
                frames, static_cast<long long>(lines), jpgs, bmps, times.tornLastLine ? "yes" : "no");
  }
}

// The BMP of a stamped frame is the BMP of the same still pane unstamped,
// with the stamp of its times.csv time (in local time) drawn on it: present,
// in its place, and nothing else touched. Its JPG carries it too.
TEST_F(RecordingTimes, StampedFramesCarryTheirTimeAndNothingElseChanges) {
  test::ManualClock clock;
  SetChecked(form_->cbbmp, true);
  ASSERT_FALSE(form_->captureMenu.Settings().stampTime);
  for (const int intervalMs : {1000, 200}) {
    Menu(IntervalItem(intervalMs));
    Press(form_->Start);
    test::TickOnSchedule(*form_, clock);  // unstamped
    Menu(kIdMenuStamp);
    ASSERT_TRUE(form_->captureMenu.Settings().stampTime);
    test::TickOnSchedule(*form_, clock);  // stamped
    Menu(kIdMenuStamp);
    Press(form_->btstop);
    ASSERT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;

    const std::vector<std::string> frames = test::FramesIn(Folder());
    ASSERT_EQ(frames.size(), 4u);
    const Image plain = PixelsOf(Folder() + "\\" + frames[0]);
    const Image stamped = PixelsOf(Folder() + "\\" + frames[2]);
    ASSERT_FALSE(plain.empty());
    ASSERT_FALSE(stamped.empty());
    Image expected = plain;

    const TimesCsvContents times = TimesIn(Folder());
    ASSERT_EQ(times.records.size(), 4u);
    const std::string text = FormatStampText(LocalTimeOf(times.records[2].time), intervalMs < 1000);
    EXPECT_EQ(text.size(), intervalMs < 1000 ? 21u : 19u) << text;
    DrawTimeStamp(expected.Target(), true, text);
    EXPECT_TRUE(expected.pixels() == stamped.pixels()) << "stamp " << text;
    EXPECT_FALSE(expected.pixels() == plain.pixels());
    const StampArea area = TimeStampArea(text, 163, 123);
    EXPECT_GE(area.y, 123 - 12);

    // The JPG: near the stamped picture inside the stamp's area, far from
    // the unstamped one.
    const Image jpg = PixelsOf(Folder() + "\\" + frames[3]);
    ASSERT_FALSE(jpg.empty());
    long nearStamped = 0, nearPlain = 0;
    for (int y = area.y; y < area.y + area.height; ++y) {
      for (int x = 3 * area.x; x < 3 * (area.x + area.width); ++x) {
        nearStamped += std::abs(jpg.RowFromTop(y)[x] - expected.RowFromTop(y)[x]);
        nearPlain += std::abs(jpg.RowFromTop(y)[x] - plain.RowFromTop(y)[x]);
      }
    }
    EXPECT_LT(nearStamped * 3, nearPlain) << intervalMs;
  }
}

}  // namespace
}  // namespace lumavex
