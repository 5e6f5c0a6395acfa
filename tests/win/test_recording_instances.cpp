// Recordings keep apart: a folder name that is taken gets a suffix instead
// of being shared, also when two instances of the program start recording
// the same window in the same second, and every frame of both is kept.
#include <gtest/gtest.h>
#include <ole2.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "recording/frame_naming.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"
#include "tools/lvctl/remote_lumavex.h"

namespace lumavex {
namespace {

class SeparateRecordings : public test::DemoRecordingTest {
 protected:
  static void SetUpTestSuite() { OpenDemo("Ivy --still --pos 60 60", "Ivy - Conversation"); }

  // The frames of a folder are 0, 1, 2, ... each the demo pane, and
  // times.csv has a line for each.
  static void ExpectWholeRecording(const std::string& folder) {
    const std::vector<std::string> frames = test::FramesIn(folder);
    EXPECT_GE(frames.size(), 3u) << folder;
    for (std::size_t i = 0; i < frames.size(); ++i) {
      EXPECT_EQ(frames[i], "Ivy" + FrameNumberText(static_cast<int>(i)) + ".jpg");
      EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + frames[i], 24));
    }
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(folder + "\\times.csv", bytes));
    std::size_t lines = 0;
    for (const TimesRecord& r : ParseTimesCsv(std::string(bytes.begin(), bytes.end())).records)
      if (r.event == TimesEvent::Frame) ++lines;
    EXPECT_EQ(lines, frames.size()) << folder;
  }

  test::MessageRecorder messages_;
};

// Both names this Start can give are taken already (the clock may turn to
// the next second in between): the recording takes "_2" and leaves the
// folders there alone.
TEST_F(SeparateRecordings, ATakenFolderNameGetsASuffix) {
  test::ManualClock clock;
  auto form = test::OpenRecordingForm(save_.path());
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(test::SelectRowOf(*form, demo_->hwnd()));
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  FILETIME ft{};
  ::SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER later{{ft.dwLowDateTime, ft.dwHighDateTime}};
  later.QuadPart += 10'000'000;  // one second
  ft = FILETIME{later.LowPart, later.HighPart};
  SYSTEMTIME sn{};
  ::FileTimeToSystemTime(&ft, &sn);
  const CalendarTime now{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
  const CalendarTime next{sn.wYear, sn.wMonth, sn.wDay, sn.wHour, sn.wMinute, sn.wSecond};
  std::vector<std::string> taken;
  for (const CalendarTime& t : {now, next}) {
    taken.push_back(RecordingFolderName("Ivy", t, UserLocaleNames()));
    ASSERT_TRUE(MakeDirectory(save_.path() + "\\" + taken.back()));
  }
  const std::string file = "Ivy0000000.jpg";
  ASSERT_TRUE(WriteWholeFile(save_.path() + "\\" + taken[0] + "\\" + file, {{"x", 1}}));
  ::SendMessageW(form->Start, BM_CLICK, 0, 0);
  test::TickOnSchedule(*form, clock);
  ::SendMessageW(form->btstop, BM_CLICK, 0, 0);
  const std::string folder = form->recorder.State().RecordingFolder();
  ASSERT_TRUE(std::find(taken.begin(), taken.end(), folder.substr(0, folder.size() - 2)) != taken.end())
      << folder;
  EXPECT_EQ(folder.substr(folder.size() - 2), "_2");
  EXPECT_EQ(test::FramesIn(save_.path() + "\\" + folder), (std::vector<std::string>{file}));
  std::vector<std::uint8_t> untouched;
  ASSERT_TRUE(ReadWholeFile(save_.path() + "\\" + taken[0] + "\\" + file, untouched));
  EXPECT_EQ(untouched.size(), 1u);
  EXPECT_TRUE(messages_.messages().empty());
}

// Two programs, one save folder, one window, Start pressed in both within
// the same second (tried again should the second turn between the clicks).
TEST_F(SeparateRecordings, TwoInstancesStartedInTheSameSecondKeepEveryFrame) {
  bool sameSecond = false;
  for (int attempt = 0; attempt < 3 && !sameSecond; ++attempt) {
    test::TempFolder save;
    RemoteLumavex first, second;
    ASSERT_TRUE(first.ok());
    ASSERT_TRUE(second.ok());
    first.MoveTo(600, 470);
    second.MoveTo(600, 200);
    for (RemoteLumavex* lumavex : {&first, &second}) {
      lumavex->SetSavePath(save.path());
      ASSERT_TRUE(lumavex->SelectRow("Ivy - Conversation"));
    }
    // Just after a second begins, both clicks at once.
    const int startSecond = CurrentLocalTime().second;
    ASSERT_TRUE(test::PumpUntil([&] { return CurrentLocalTime().second != startSecond; }, 3000));
    ::PostMessageW(first.Control(kIdStart), BM_CLICK, 0, 0);
    ::PostMessageW(second.Control(kIdStart), BM_CLICK, 0, 0);
    ASSERT_TRUE(test::PumpUntil([&] { return test::SubfoldersOf(save.path()).size() == 2; }, 10000))
        << test::SubfoldersOf(save.path()).size() << " folders";
    std::vector<std::string> folders = test::SubfoldersOf(save.path());
    ASSERT_TRUE(test::PumpUntil(
        [&] {
          return test::FramesIn(save.path() + "\\" + folders[0]).size() >= 3 &&
                 test::FramesIn(save.path() + "\\" + folders[1]).size() >= 3;
        },
        15000));
    first.Click(kIdBtStop);
    second.Click(kIdBtStop);
    first.Close();
    second.Close();
    std::sort(folders.begin(), folders.end());
    sameSecond = folders[1] == folders[0] + "_2";
    for (const std::string& folder : folders) ExpectWholeRecording(save.path() + "\\" + folder);
    std::printf("folders: %s and %s\n", folders[0].c_str(), folders[1].c_str());
  }
  EXPECT_TRUE(sameSecond) << "the two Starts never fell in the same second";
}

}  // namespace
}  // namespace lumavex
