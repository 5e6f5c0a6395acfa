// "Write Avi" on its worker thread, through the main window: the worker
// never waits for the window's thread (a conversion finishes while that
// thread is held, and its progress arrives once the thread is back), a
// recording keeps going beside 40,000 frames converted, Cancel leaves
// nothing, and closing the window mid-conversion cancels it first. The folders of many frames come from the
// avi.many_frames fixture (tests/tools/make_frame_folder.py).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/form1.h"
#include "avi_test_support.h"
#include "base/utf8.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "platform/kernel.h"
#include "recording/times_csv.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"
#include "writeavi/win32/preset_choices.h"

namespace lumavex {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string ManyFrames() { return test::TestBinFolder() + "\\many-frames"; }  // 40,000 frames
std::string SomeFrames() { return test::TestBinFolder() + "\\some-frames"; }  // 3,000 frames

std::size_t FrameCount(const std::string& folder) { return test::FilesIn(folder, "*.jpg").size(); }

class AviWorker : public ::testing::TestWithParam<AviOutput> {
 protected:
  void SetUp() override {
    form_ = Form1::Create(false);
    ASSERT_NE(form_, nullptr);
  }

  // Starts "Write Avi" of `folder` into `target` with this test's type,
  // answered in advance; returns when it runs.
  void StartConversion(const std::string& folder, const std::string& target) {
    SetControlText(form_->txtPath, folder);
    form_->WriteAvi(PresetAviChoices(target, GetParam()));
    ASSERT_TRUE(form_->ConversionRunning());
    EXPECT_EQ(ControlText(form_->aviwrite), "Cancel");
  }
  // Waits until the conversion shows its first frame.
  bool WaitForProgress() {
    return test::PumpUntil([&] { return ListSelected(form_->File1) >= 0 || !form_->ConversionRunning(); });
  }
  bool WaitForEnd(int timeoutMs = 240000) {
    return test::PumpUntil([&] { return !form_->ConversionRunning(); }, timeoutMs);
  }

  std::unique_ptr<Form1> form_;
  test::MessageRecorder messages_;
};

// Cancel stops it between two frames: no video, no part file, the user's old
// file as it was, and nothing said; the button reads "Write Avi" again.
TEST_P(AviWorker, CancelLeavesNothingAndSaysNothing) {
  test::TempFolder out;
  const std::string target = out.path() + "\\cancelled.avi";
  ASSERT_TRUE(test::WriteTextFile(target, "old"));
  StartConversion(SomeFrames(), target);
  ASSERT_TRUE(WaitForProgress());
  form_->aviwrite_Click();  // the button reads "Cancel"
  ASSERT_TRUE(WaitForEnd(60000));

  EXPECT_EQ(ControlText(form_->aviwrite), "Write Avi");
  EXPECT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
  EXPECT_EQ(test::FileBytes(target), (Bytes{'o', 'l', 'd'}));
  EXPECT_EQ(test::FilesIn(out.path()), std::vector<std::string>{"cancelled.avi"});
  EXPECT_EQ(test::LiveAviObjects(), 0);
}

// Closing the window cancels the conversion, and the window closes once it
// has ended.
TEST_P(AviWorker, ClosingTheWindowCancelsThenCloses) {
  test::TempFolder out;
  const std::string target = out.path() + "\\closed.avi";
  StartConversion(SomeFrames(), target);
  ASSERT_TRUE(WaitForProgress());
  HWND window = form_->hwnd();
  ::PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(test::PumpUntil([&] { return !::IsWindow(window); }, 60000));

  EXPECT_FALSE(form_->ConversionRunning());
  EXPECT_TRUE(messages_.messages().empty());
  EXPECT_EQ(test::FilesIn(out.path()), std::vector<std::string>{});
  // The quit the window posted is not for the rest of this program.
  MSG quit;
  ::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

// The window's thread is held (as a dialog, a drag or another program
// reading the window's lists holds it) for the whole conversion: it takes
// no message at all. (The questions are answered in advance, without a
// window: only a dialog the user must answer makes the worker wait.) The worker still ends, having handed
// nothing over yet; once the thread takes its messages the list, the last entry, the preview and the end
// arrive.
TEST_P(AviWorker, FinishesWhileTheWindowsThreadIsHeld) {
  test::TempFolder out;
  const std::string target = out.path() + "\\held.avi";
  StartConversion(SomeFrames(), target);
  ASSERT_NE(form_->Conversion()->ended(), nullptr);
  // No message is taken here until the worker has ended.
  ASSERT_EQ(::WaitForSingleObject(form_->Conversion()->ended(), 600000), WAIT_OBJECT_0)
      << "the worker waited for the window's thread";
  EXPECT_TRUE(form_->ConversionRunning());  // its end is told by the message loop
  EXPECT_EQ(ListCount(form_->File1), 0);    // nothing was shown while the thread was held

  ASSERT_TRUE(WaitForEnd(60000));
  EXPECT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
  const int frames = static_cast<int>(FrameCount(SomeFrames()));
  EXPECT_EQ(ListCount(form_->File1), frames);
  EXPECT_EQ(ListSelected(form_->File1), frames - 1);  // the latest entry won
  char last[32];
  std::snprintf(last, sizeof last, "Lea%07d.jpg", frames - 1);
  EXPECT_EQ(form_->File1Row(frames - 1), last);
  EXPECT_EQ(ControlText(form_->aviwrite), "Write Avi");
  EXPECT_EQ(test::ReadAviSummary(target).length, static_cast<unsigned>(frames));
}

INSTANTIATE_TEST_SUITE_P(Outputs, AviWorker, test::kBothOutputs, test::OutputTestName);

// Milliseconds since 1970 of a time in times.csv.
double UtcMs(const CalendarTime& t) {
  // Days from the civil date (proleptic Gregorian).
  const int y = t.year - (t.month <= 2);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int yoe = y - era * 400;
  const int doy = (153 * (t.month + (t.month > 2 ? -3 : 9)) + 2) / 5 + t.day - 1;
  const long long days = era * 146097LL + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
  return ((days * 24 + t.hour) * 60 + t.minute) * 60000.0 + t.second * 1000.0 + t.millisecond;
}

// A recording goes on beside a 40,000-frame conversion of its own save
// folder or of another one: both keep their folders, the video holds every
// frame and the recording is still running at the end, its times.csv whole.
// (That the window is free meanwhile is FinishesWhileTheWindowsThreadIsHeld's:
// the worker never waits for it.) Motion JPEG only: 40,000 uncompressed
// frames pass what an AVI 1.0 file holds.
class AviWorkerLong : public AviWorker {
 protected:
  // Records into `saveFolder` (ManyFrames() itself, or another one) while
  // ManyFrames() is converted; with another one, "Save to:" is changed to
  // ManyFrames() for Write Avi during the recording, which goes on where it
  // began.
  void ConvertBesideARecording(const std::string& saveFolder) {
    ASSERT_EQ(FrameCount(ManyFrames()), 40000u) << "the avi.many_frames fixture makes them";
    test::DemoWindow demo("Lea --still --pos 60 60", "Lea - Conversation");
    ASSERT_TRUE(demo.ok());
    test::TempFolder samples;
    SetSampleFilePath(samples.path() + "\\lumavex_pixel.bmp");
    form_ = test::OpenRecordingForm(saveFolder);
    ASSERT_TRUE(form_ && test::SelectRowOf(*form_, demo.hwnd()));
    ::SendMessageW(form_->Start, BM_CLICK, 0, 0);
    const std::string recording = saveFolder + "\\" + form_->recorder.State().RecordingFolder();
    ASSERT_TRUE(test::PumpUntil([&] { return FrameCount(recording) >= 2; }));

    test::TempFolder out;
    StartConversion(ManyFrames(), out.path() + "\\during.avi");
    const bool ended = WaitForEnd();
    const bool recordingRan = form_->Timer1.Running();
    ::SendMessageW(form_->btstop, BM_CLICK, 0, 0);
    SetSampleFilePath(kSampleFilePath);
    ASSERT_TRUE(ended);

    EXPECT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
    EXPECT_TRUE(recordingRan);
    EXPECT_EQ(test::ReadAviSummary(out.path() + "\\during.avi").length, 40000u);
    const std::vector<std::uint8_t> log = test::FileBytes(recording + "\\times.csv");
    std::vector<double> frames;
    for (const TimesRecord& line : ParseTimesCsv(std::string(log.begin(), log.end())).records)
      if (line.event == TimesEvent::Frame) frames.push_back(UtcMs(line.time));
    std::printf("%zu frames recorded beside the conversion\n", frames.size());
    EXPECT_GE(frames.size(), 2u);
    for (std::size_t i = 1; i < frames.size(); ++i) EXPECT_GE(frames[i], frames[i - 1]);
    test::RemoveTree(recording);
  }
};

TEST_P(AviWorkerLong, ConvertingTheSaveFolderBesideARecording) { ConvertBesideARecording(ManyFrames()); }

TEST_P(AviWorkerLong, ConvertingAFolderPickedDuringARecording) {
  test::TempFolder save;
  ConvertBesideARecording(save.path());
}

INSTANTIATE_TEST_SUITE_P(MotionJpeg, AviWorkerLong, ::testing::Values(AviOutput::MotionJpegCopy));

}  // namespace
}  // namespace lumavex
