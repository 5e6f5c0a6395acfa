// The recording loop driven as a user drives it: select a row of the webcam
// list, press the buttons (or double-click the row), and let Timer1 tick
// (called directly at the time of each frame, on a clock the test holds, so
// every tick is accounted for). The demo conversation window stands still,
// so every frame shows the same four colour bands.
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "recording/frame_naming.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "base/file.h"
#include "platform/files.h"
#include "recording/win32/locale_clock.h"
#include "platform/picture.h"
#include "platform/picture_view.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class RecordingLoop : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    alice_ = new test::DemoWindow("Alice --still --pos 60 60", "Alice - Conversation");
  }
  static void TearDownTestSuite() {
    delete alice_;
    alice_ = nullptr;
  }

  void SetUp() override {
    ::OleInitialize(nullptr);
    ASSERT_TRUE(alice_->ok());
    // The frame colours are compared exactly for BMP files.
    WindowDc screen(nullptr);
    ASSERT_EQ(::GetDeviceCaps(screen.get(), BITSPIXEL), 32) << "the virtual screen should have 24-bit colour";
    SetSampleFilePath(save_.path() + "\\lumavex_pixel.bmp");
    form_ = test::OpenRecordingForm(save_.path());
    ASSERT_NE(form_, nullptr);
    ASSERT_TRUE(SelectRowOf(alice_->hwnd()));
  }
  void TearDown() override {
    form_.reset();
    SetSampleFilePath(kSampleFilePath);
    ::OleUninitialize();
  }

  bool SelectRowOf(HWND window) { return test::SelectRowOf(*form_, window); }
  void Press(HWND button) { ::SendMessageA(button, BM_CLICK, 0, 0); }
  void DoubleClickSelectedRow() {
    ::SendMessageA(form_->hwnd(), WM_COMMAND, MAKEWPARAM(kIdList1, LBN_DBLCLK),
                   reinterpret_cast<LPARAM>(form_->List1));
  }
  void Tick(int n = 1) {
    for (int i = 0; i < n; ++i) test::TickOnSchedule(*form_, clock_);
  }
  void PressRefresh() { Press(form_->Command1); }

  // Waits (with no recording running) until the clock shows a later second
  // than the one that named the last folder.
  void WaitForNextSecond() {
    const std::string now = FormatRecordingTimestamp(CurrentLocalTime(), UserLocaleNames());
    ASSERT_TRUE(test::PumpUntil(
        [&] { return FormatRecordingTimestamp(CurrentLocalTime(), UserLocaleNames()) != now; }, 5000));
  }

  std::string Folder() const { return save_.path() + "\\" + form_->recorder.State().RecordingFolder(); }

  void ExpectRecordingButtons() const {
    EXPECT_TRUE(form_->Timer1.Running());
    EXPECT_LE(form_->Timer1.Interval(), 1000u);
    EXPECT_FALSE(IsControlEnabled(form_->Start));
    EXPECT_TRUE(IsControlEnabled(form_->btstop));
    EXPECT_TRUE(IsControlEnabled(form_->pause));
    EXPECT_TRUE(IsControlEnabled(form_->reset));
  }
  void ExpectHalted() const {
    EXPECT_FALSE(form_->Timer1.Running());
    EXPECT_TRUE(IsControlEnabled(form_->Start));
    EXPECT_FALSE(IsControlEnabled(form_->btstop));
    EXPECT_FALSE(IsControlEnabled(form_->pause));
    EXPECT_TRUE(IsControlEnabled(form_->reset));
  }

  // Pause keeps the recording: Start resumes it, Stop ends it.
  void ExpectPaused() const {
    EXPECT_FALSE(form_->Timer1.Running());
    EXPECT_TRUE(IsControlEnabled(form_->Start));
    EXPECT_TRUE(IsControlEnabled(form_->btstop));
    EXPECT_FALSE(IsControlEnabled(form_->pause));
    EXPECT_TRUE(IsControlEnabled(form_->reset));
  }

  static test::DemoWindow* alice_;
  test::ManualClock clock_;
  test::TempFolder save_;
  std::unique_ptr<Form1> form_;
  test::MessageRecorder messages_;
};
test::DemoWindow* RecordingLoop::alice_ = nullptr;

TEST_F(RecordingLoop, StartThreeTicksStopThenStartAgainContinuesInALaterFolder) {
  const LocaleNames names = UserLocaleNames();
  const CalendarTime before = CurrentLocalTime();
  Press(form_->Start);
  const CalendarTime after = CurrentLocalTime();
  ExpectRecordingButtons();
  const std::vector<std::string> folders = test::SubfoldersOf(save_.path());
  ASSERT_EQ(folders.size(), 1u);
  const std::string first = folders[0];
  EXPECT_TRUE(first == RecordingFolderName("Alice", before, names) ||
              first == RecordingFolderName("Alice", after, names))
      << first;
  EXPECT_EQ(first, form_->recorder.State().RecordingFolder());

  Tick(3);
  Press(form_->btstop);
  ExpectHalted();
  const std::string folder = save_.path() + "\\" + first;
  EXPECT_EQ(test::FramesIn(folder),
            (std::vector<std::string>{"Alice0000000.jpg", "Alice0000001.jpg", "Alice0000002.jpg"}));
  for (const std::string& name : test::FramesIn(folder))
    EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + name, 24));
  EXPECT_EQ(ControlText(form_->Text1), "2");

  // Ticks after Stop change nothing.
  Tick();
  EXPECT_EQ(test::FramesIn(folder).size(), 3u);

  WaitForNextSecond();
  Press(form_->Start);
  ExpectRecordingButtons();
  const std::string second = form_->recorder.State().RecordingFolder();
  EXPECT_NE(second, first);
  EXPECT_EQ(test::SubfoldersOf(save_.path()).size(), 2u);
  Tick();
  Press(form_->pause);
  ExpectPaused();
  Tick();  // paused: no frame
  EXPECT_EQ(test::FramesIn(save_.path() + "\\" + second), (std::vector<std::string>{"Alice0000003.jpg"}));
  EXPECT_EQ(ControlText(form_->Text1), "3");

  // Start resumes into the same folder, Stop ends the recording there.
  Press(form_->Start);
  ExpectRecordingButtons();
  EXPECT_EQ(form_->recorder.State().RecordingFolder(), second);
  Tick();
  Press(form_->btstop);
  ExpectHalted();
  EXPECT_EQ(test::FramesIn(save_.path() + "\\" + second),
            (std::vector<std::string>{"Alice0000003.jpg", "Alice0000004.jpg"}));
  EXPECT_EQ(test::SubfoldersOf(save_.path()).size(), 2u);
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, BothBoxesWriteTheSameNumberAndResetReplacesTheFiles) {
  SetChecked(form_->cbbmp, true);
  Press(form_->Start);
  Tick(2);
  const std::string folder = Folder();
  EXPECT_EQ(test::FramesIn(folder), (std::vector<std::string>{"Alice0000000.bmp", "Alice0000000.jpg",
                                                              "Alice0000001.bmp", "Alice0000001.jpg"}));
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Alice0000000.bmp", 0));
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Alice0000001.jpg", 24));

  // Spoil frame 0, then Reset while recording: the next tick writes frame 0
  // again over both files, and Text1 keeps its text until then.
  const std::string junk = "not a picture";
  ASSERT_TRUE(WriteWholeFile(folder + "\\Alice0000000.bmp", {{junk.data(), junk.size()}}));
  ASSERT_TRUE(WriteWholeFile(folder + "\\Alice0000000.jpg", {{junk.data(), junk.size()}}));
  Press(form_->reset);
  ExpectRecordingButtons();
  EXPECT_EQ(ControlText(form_->Text1), "1");
  Tick();
  EXPECT_EQ(ControlText(form_->Text1), "0");
  EXPECT_EQ(test::FramesIn(folder).size(), 4u);
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Alice0000000.bmp", 0));
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Alice0000000.jpg", 24));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, NeitherBoxWritesNothingButShowsAndCounts) {
  SetChecked(form_->cbjpg, false);
  Press(form_->Start);
  Tick(2);
  EXPECT_TRUE(test::FramesIn(Folder()).empty());
  EXPECT_EQ(ControlText(form_->Text1), "1");
  const Picture shown = ViewPicture(form_->Image1);
  ASSERT_TRUE(shown);
  EXPECT_EQ(ViewPicture(form_->Picture1).get(), shown.get());
  const SIZE size = PictureSizePixels(shown.get());
  EXPECT_EQ(size.cx, 163);
  EXPECT_EQ(size.cy, 123);
  Tick();
  EXPECT_NE(ViewPicture(form_->Image1).get(), shown.get()) << "each tick shows its own picture";
}

TEST_F(RecordingLoop, SavePathEndingInBackslashGivesDoubledSeparators) {
  SetControlText(form_->txtPath, save_.path() + "\\");
  Press(form_->Start);
  Tick();
  const std::string doubled =
      save_.path() + "\\\\" + form_->recorder.State().RecordingFolder() + "\\Alice0000000.jpg";
  EXPECT_TRUE(FileExistsUtf8(doubled)) << doubled;
  EXPECT_TRUE(test::ShowsDemoPane(doubled, 24));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, DoubleClickOnARowStartsAndDuringARecordingOpensANewFolder) {
  DoubleClickSelectedRow();
  ExpectRecordingButtons();
  Tick();
  const std::string first = form_->recorder.State().RecordingFolder();
  WaitForNextSecond();
  DoubleClickSelectedRow();
  ExpectRecordingButtons();
  const std::string second = form_->recorder.State().RecordingFolder();
  ASSERT_NE(second, first);
  Tick();
  EXPECT_EQ(test::FramesIn(save_.path() + "\\" + first), (std::vector<std::string>{"Alice0000000.jpg"}));
  EXPECT_EQ(test::FramesIn(save_.path() + "\\" + second), (std::vector<std::string>{"Alice0000001.jpg"}));
}

TEST_F(RecordingLoop, RealTimerTicksRecordUntilStopped) {
  clock_.UseSystemClock();
  Press(form_->Start);
  const std::string folder = Folder();
  ASSERT_TRUE(test::PumpUntil([&] { return FileExistsUtf8(folder + "\\Alice0000001.jpg"); }, 15000));
  Press(form_->btstop);
  const std::size_t written = test::FramesIn(folder).size();
  test::PumpFor(1500);  // longer than one period: no tick may come now
  EXPECT_EQ(test::FramesIn(folder).size(), written);
}

TEST_F(RecordingLoop, TheSaveFolderIsReadAtStartOnly) {
  Press(form_->Start);
  Tick();
  const std::string first = Folder();
  test::TempFolder elsewhere;
  SetControlText(form_->txtPath, elsewhere.path());
  Tick(2);
  EXPECT_TRUE(messages_.messages().empty());
  EXPECT_EQ(test::FramesIn(first),
            (std::vector<std::string>{"Alice0000000.jpg", "Alice0000001.jpg", "Alice0000002.jpg"}));
  EXPECT_TRUE(test::SubfoldersOf(elsewhere.path()).empty());

  // The next recording goes where "Save to:" says now.
  Press(form_->btstop);
  Press(form_->Start);
  Tick();
  ASSERT_EQ(test::SubfoldersOf(elsewhere.path()).size(), 1u);
  EXPECT_EQ(test::FramesIn(elsewhere.path() + "\\" + form_->recorder.State().RecordingFolder()),
            (std::vector<std::string>{"Alice0000003.jpg"}));
  Press(form_->btstop);
}

TEST_F(RecordingLoop, StartWithoutARowAsksForOneAndChangesNothing) {
  ::SendMessageA(form_->List1, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  Press(form_->Start);
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "choose a webcam from the list first");
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::None);
  EXPECT_FALSE(form_->Timer1.Running());
  EXPECT_TRUE(IsControlEnabled(form_->Start));
  EXPECT_FALSE(IsControlEnabled(form_->btstop));
  EXPECT_FALSE(IsControlEnabled(form_->pause));
  EXPECT_FALSE(IsControlEnabled(form_->reset));
  EXPECT_TRUE(test::SubfoldersOf(save_.path()).empty());
}

TEST_F(RecordingLoop, RefreshListDuringARecordingStopsTheTicksButKeepsTheButtons) {
  Press(form_->Start);
  Tick();
  PressRefresh();
  ASSERT_LT(ListSelected(form_->List1), 0);
  Tick();
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "choose a webcam from the list first");
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::None);
  EXPECT_FALSE(form_->Timer1.Running());
  EXPECT_FALSE(IsControlEnabled(form_->Start));
  EXPECT_TRUE(IsControlEnabled(form_->btstop));
  EXPECT_TRUE(IsControlEnabled(form_->pause));
  EXPECT_TRUE(IsControlEnabled(form_->reset));
  Tick();  // the timer is off: no second message
  EXPECT_EQ(messages_.messages().size(), 1u);
  Press(form_->btstop);
  ExpectHalted();
  EXPECT_EQ(test::FramesIn(Folder()).size(), 1u);
}

TEST_F(RecordingLoop, TicksFollowTheSelectedRowAndAClosedWindowIsWaitedFor) {
  test::DemoWindow bob("Bob --still --pos 60 400", "Bob - Conversation");
  ASSERT_TRUE(bob.ok());
  PressRefresh();
  ASSERT_TRUE(SelectRowOf(alice_->hwnd()));
  Press(form_->Start);
  Tick();
  ASSERT_TRUE(SelectRowOf(bob.hwnd()));
  Tick();
  const std::string folder = Folder();
  EXPECT_EQ(test::FramesIn(folder), (std::vector<std::string>{"Alice0000000.jpg", "Bob0000001.jpg"}));
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Bob0000001.jpg", 24));

  // Nothing is recorded while the window is gone, and nothing is said: the
  // preview tells what the recording waits for.
  bob.Close();
  Tick(3);
  EXPECT_TRUE(messages_.messages().empty());
  ExpectRecordingButtons();
  EXPECT_TRUE(form_->recorder.State().Waiting());
  EXPECT_EQ(ControlText(form_->Image1), "Waiting for Bob - Conversation");
  EXPECT_FALSE(ViewPicture(form_->Image1));
  EXPECT_EQ(test::FramesIn(folder).size(), 2u);
  EXPECT_EQ(ControlText(form_->Text1), "1");

  // Another row chosen while waiting is recorded at once, in the same folder.
  ASSERT_TRUE(SelectRowOf(alice_->hwnd()));
  Tick();
  EXPECT_FALSE(form_->recorder.State().Waiting());
  EXPECT_EQ(ControlText(form_->Image1), "");
  EXPECT_EQ(test::FramesIn(folder),
            (std::vector<std::string>{"Alice0000000.jpg", "Alice0000002.jpg", "Bob0000001.jpg"}));
}

TEST_F(RecordingLoop, TitlesAreMadeSafeForFileNamesAndShortTitlesGiveNoPrefix) {
  test::DemoWindow eve("--still --pos 500 60 --title \"Eve: a/b - Conversation\"", "Eve: a/b - Conversation");
  ASSERT_TRUE(eve.ok());
  PressRefresh();
  ASSERT_TRUE(SelectRowOf(eve.hwnd()));
  Press(form_->Start);
  Tick();
  Press(form_->btstop);
  const std::string eveFolder = form_->recorder.State().RecordingFolder();
  EXPECT_EQ(eveFolder.rfind("Eve_ a_b", 0), 0u) << eveFolder;
  EXPECT_EQ(test::FramesIn(Folder()), (std::vector<std::string>{"Eve_ a_b0000000.jpg"}));

  // Shorter than the 15 characters that are dropped: the name is the time
  // stamp alone, and frames are named by number alone.
  ::SetWindowTextA(eve.hwnd(), "Conversation");
  PressRefresh();
  ASSERT_TRUE(SelectRowOf(eve.hwnd()));
  ASSERT_EQ(ListText(form_->List1, ListSelected(form_->List1)), "Conversation");
  WaitForNextSecond();
  const CalendarTime before = CurrentLocalTime();
  Press(form_->Start);
  const CalendarTime after = CurrentLocalTime();
  Tick();
  const std::string bare = form_->recorder.State().RecordingFolder();
  EXPECT_TRUE(bare == FormatRecordingTimestamp(before, UserLocaleNames()) ||
              bare == FormatRecordingTimestamp(after, UserLocaleNames()))
      << bare;
  EXPECT_EQ(test::FramesIn(Folder()), (std::vector<std::string>{"0000001.jpg"}));
  EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\0000001.jpg", 24));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, FolderThatCannotBeMadeIsReportedAndHalts) {
  const std::string missing = save_.path() + "\\missing";
  SetControlText(form_->txtPath, missing);
  Press(form_->Start);
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "Could not create the recording folder:\r\n" + missing + "\\" +
                                              *form_->recorder.State().FolderName(1));
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  ExpectHalted();
  EXPECT_FALSE(PathExists(missing));
}

TEST_F(RecordingLoop, BmpThatCannotBeWrittenIsReportedHaltsAndKeepsTheNumber) {
  SetChecked(form_->cbbmp, true);
  Press(form_->Start);
  Tick();
  // A folder where the next frame's file would go.
  const std::string path = Folder() + "\\Alice0000001.bmp";
  ASSERT_TRUE(MakeDirectory(path));
  Tick();
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "Failed to save to BMP:\r\n" + path);
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  ExpectHalted();
  EXPECT_EQ(ControlText(form_->Text1), "0");

  // The number was not used up: the next recording writes it.
  WaitForNextSecond();
  Press(form_->Start);
  Tick();
  EXPECT_TRUE(FileExistsUtf8(Folder() + "\\Alice0000001.bmp"));
  EXPECT_TRUE(FileExistsUtf8(Folder() + "\\Alice0000001.jpg"));
}

// A message box runs a modal loop in which Timer1 keeps ticking. The recorder
// plays that loop: while the JPEG writer's warning is up, ticks are posted
// and dispatched, and one is called directly. None of them may start.
TEST_F(RecordingLoop, TicksDuringAFailureMessageAreDroppedSoOneMessageShows) {
  Press(form_->Start);
  Tick();
  // A folder where the next frame's file would go.
  ASSERT_TRUE(MakeDirectory(Folder() + "\\Alice0000001.jpg"));
  messages_.onShow = [&](const test::ShownMessage&) {
    if (messages_.messages().size() > 1) return;  // already failed: no endless nesting
    for (int i = 0; i < 3; ++i) ::PostMessageA(form_->hwnd(), WM_TIMER, kTimer1, 0);
    test::PumpUntil([] {
      MSG msg;
      return !::PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE);
    });
    clock_.Advance(5000);  // long past the next frame's time
    form_->Timer1_Timer();
  };
  Tick();
  messages_.onShow = nullptr;
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, test::kJpegFailedText);
  ExpectHalted();
  EXPECT_EQ(ControlText(form_->Text1), "0");
  EXPECT_EQ(test::FramesIn(Folder()), (std::vector<std::string>{"Alice0000000.jpg"}));
}

TEST_F(RecordingLoop, MinimisedWindowIsRestoredBeforeTheCapture) {
  ::ShowWindow(alice_->hwnd(), SW_MINIMIZE);
  ASSERT_TRUE(test::PumpUntil([] { return ::IsIconic(alice_->hwnd()) != 0; }));
  Press(form_->Start);
  // The demo repaints in its own process once restored; a capture taken
  // before that shows stale pixels, so record until a frame shows the pane.
  Tick();
  EXPECT_FALSE(::IsIconic(alice_->hwnd()));
  const std::string folder = Folder();
  test::PumpUntil(
      [&] {
        Tick();
        const std::vector<std::string> files = test::FramesIn(folder);
        return !files.empty() && test::ShowsDemoPane(folder + "\\" + files.back(), 24);
      },
      10000);
  Press(form_->btstop);
  const std::vector<std::string> files = test::FramesIn(folder);
  ASSERT_FALSE(files.empty());
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + files.back(), 24));
  EXPECT_TRUE(messages_.messages().empty());
}

}  // namespace
}  // namespace lumavex
