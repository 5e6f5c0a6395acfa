// The recording loop driven as a user drives it: select a row of the webcam
// list, press the buttons (or double-click the row), and let Timer1 tick
// (called directly, so every tick is accounted for). The demo conversation
// window stands still, so every frame shows the same four colour bands.
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "recording/frame_naming.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
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
    for (int i = 0; i < n; ++i) form_->Timer1_Timer();
  }
  void PressRefresh() { Press(form_->Command1); }

  // Waits (with no recording running) until the clock shows a later second
  // than the one that named the last folder.
  void WaitForNextSecond() {
    const std::string now = FormatRecordingTimestamp(CurrentLocalTime(), UserLocaleNames());
    ASSERT_TRUE(test::PumpUntil(
        [&] { return FormatRecordingTimestamp(CurrentLocalTime(), UserLocaleNames()) != now; }, 5000));
  }

  std::string Folder() const { return save_.path() + "\\" + form_->recording.RecordingFolder(); }

  void ExpectRecordingButtons() const {
    EXPECT_TRUE(form_->Timer1.Running());
    EXPECT_EQ(form_->Timer1.Interval(), 1000u);
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

  static test::DemoWindow* alice_;
  test::TempFolder save_;
  std::unique_ptr<Form1> form_;
  test::MessageRecorder messages_;
};
test::DemoWindow* RecordingLoop::alice_ = nullptr;

TEST_F(RecordingLoop, StartThreeTicksStopThenStartAgainContinuesInALaterFolder) {
  const LocaleNames names = UserLocaleNames();
  const LocalTime before = CurrentLocalTime();
  Press(form_->Start);
  const LocalTime after = CurrentLocalTime();
  ExpectRecordingButtons();
  const std::vector<std::string> folders = test::SubfoldersOf(save_.path());
  ASSERT_EQ(folders.size(), 1u);
  const std::string first = folders[0];
  EXPECT_TRUE(first == RecordingFolderName("Alice", before, names) ||
              first == RecordingFolderName("Alice", after, names))
      << first;
  EXPECT_EQ(first, form_->recording.RecordingFolder());

  Tick(3);
  Press(form_->btstop);
  ExpectHalted();
  const std::string folder = save_.path() + "\\" + first;
  EXPECT_EQ(test::FilesIn(folder),
            (std::vector<std::string>{"Alice0000000.jpg", "Alice0000001.jpg", "Alice0000002.jpg"}));
  for (const std::string& name : test::FilesIn(folder))
    EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + name, 24));
  EXPECT_EQ(ControlText(form_->Text1), "2");

  // Ticks after Stop change nothing.
  Tick();
  EXPECT_EQ(test::FilesIn(folder).size(), 3u);

  WaitForNextSecond();
  Press(form_->Start);
  ExpectRecordingButtons();
  const std::string second = form_->recording.RecordingFolder();
  EXPECT_NE(second, first);
  EXPECT_EQ(test::SubfoldersOf(save_.path()).size(), 2u);
  Tick();
  Press(form_->pause);
  ExpectHalted();
  EXPECT_EQ(test::FilesIn(save_.path() + "\\" + second), (std::vector<std::string>{"Alice0000003.jpg"}));
  EXPECT_EQ(ControlText(form_->Text1), "3");
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, BothBoxesWriteTheSameNumberAndResetReplacesTheFiles) {
  SetChecked(form_->cbbmp, true);
  Press(form_->Start);
  Tick(2);
  const std::string folder = Folder();
  EXPECT_EQ(test::FilesIn(folder), (std::vector<std::string>{"Alice0000000.bmp", "Alice0000000.jpg",
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
  EXPECT_EQ(test::FilesIn(folder).size(), 4u);
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Alice0000000.bmp", 0));
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Alice0000000.jpg", 24));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, NeitherBoxWritesNothingButShowsAndCounts) {
  SetChecked(form_->cbjpg, false);
  Press(form_->Start);
  Tick(2);
  EXPECT_TRUE(test::FilesIn(Folder()).empty());
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
      save_.path() + "\\\\" + form_->recording.RecordingFolder() + "\\Alice0000000.jpg";
  EXPECT_TRUE(FileExists(doubled)) << doubled;
  EXPECT_TRUE(test::ShowsDemoPane(doubled, 24));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, DoubleClickOnARowStartsAndDuringARecordingOpensANewFolder) {
  DoubleClickSelectedRow();
  ExpectRecordingButtons();
  Tick();
  const std::string first = form_->recording.RecordingFolder();
  WaitForNextSecond();
  DoubleClickSelectedRow();
  ExpectRecordingButtons();
  const std::string second = form_->recording.RecordingFolder();
  ASSERT_NE(second, first);
  Tick();
  EXPECT_EQ(test::FilesIn(save_.path() + "\\" + first), (std::vector<std::string>{"Alice0000000.jpg"}));
  EXPECT_EQ(test::FilesIn(save_.path() + "\\" + second), (std::vector<std::string>{"Alice0000001.jpg"}));
}

TEST_F(RecordingLoop, RealTimerTicksRecordUntilStopped) {
  Press(form_->Start);
  const std::string folder = Folder();
  ASSERT_TRUE(test::PumpUntil([&] { return FileExists(folder + "\\Alice0000001.jpg"); }, 15000));
  Press(form_->btstop);
  const std::size_t written = test::FilesIn(folder).size();
  test::PumpFor(1500);  // longer than one period: no tick may come now
  EXPECT_EQ(test::FilesIn(folder).size(), written);
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
  EXPECT_EQ(test::FilesIn(Folder()).size(), 1u);
}

TEST_F(RecordingLoop, TicksFollowTheSelectedRowAndAClosedWindowHalts) {
  test::DemoWindow bob("Bob --still --pos 60 400", "Bob - Conversation");
  ASSERT_TRUE(bob.ok());
  PressRefresh();
  ASSERT_TRUE(SelectRowOf(alice_->hwnd()));
  Press(form_->Start);
  Tick();
  ASSERT_TRUE(SelectRowOf(bob.hwnd()));
  Tick();
  const std::string folder = Folder();
  EXPECT_EQ(test::FilesIn(folder), (std::vector<std::string>{"Alice0000000.jpg", "Bob0000001.jpg"}));
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\Bob0000001.jpg", 24));

  bob.Close();
  Tick();
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "The webcam window has been closed. Recording stopped.");
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Information);
  ExpectHalted();
  EXPECT_EQ(test::FilesIn(folder).size(), 2u);
  EXPECT_EQ(ControlText(form_->Text1), "1");
}

TEST_F(RecordingLoop, TitlesAreMadeSafeForFileNamesAndShortTitlesGiveNoPrefix) {
  test::DemoWindow eve("--still --pos 500 60 --title \"Eve: a/b - Conversation\"", "Eve: a/b - Conversation");
  ASSERT_TRUE(eve.ok());
  PressRefresh();
  ASSERT_TRUE(SelectRowOf(eve.hwnd()));
  Press(form_->Start);
  Tick();
  Press(form_->btstop);
  const std::string eveFolder = form_->recording.RecordingFolder();
  EXPECT_EQ(eveFolder.rfind("Eve_ a_b", 0), 0u) << eveFolder;
  EXPECT_EQ(test::FilesIn(Folder()), (std::vector<std::string>{"Eve_ a_b0000000.jpg"}));

  // Shorter than the 15 characters that are dropped: the name is the time
  // stamp alone, and frames are named by number alone.
  ::SetWindowTextA(eve.hwnd(), "Conversation");
  PressRefresh();
  ASSERT_TRUE(SelectRowOf(eve.hwnd()));
  ASSERT_EQ(ListText(form_->List1, ListSelected(form_->List1)), "Conversation");
  WaitForNextSecond();
  const LocalTime before = CurrentLocalTime();
  Press(form_->Start);
  const LocalTime after = CurrentLocalTime();
  Tick();
  const std::string bare = form_->recording.RecordingFolder();
  EXPECT_TRUE(bare == FormatRecordingTimestamp(before, UserLocaleNames()) ||
              bare == FormatRecordingTimestamp(after, UserLocaleNames()))
      << bare;
  EXPECT_EQ(test::FilesIn(Folder()), (std::vector<std::string>{"0000001.jpg"}));
  EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\0000001.jpg", 24));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(RecordingLoop, FolderThatCannotBeMadeIsReportedAndHalts) {
  const std::string missing = save_.path() + "\\missing";
  SetControlText(form_->txtPath, missing);
  Press(form_->Start);
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "Could not create the recording folder:\r\n" + missing + "\\" +
                                              form_->recording.RecordingFolder());
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  ExpectHalted();
  EXPECT_FALSE(PathExists(missing));
}

TEST_F(RecordingLoop, BmpThatCannotBeWrittenIsReportedHaltsAndKeepsTheNumber) {
  SetChecked(form_->cbbmp, true);
  Press(form_->Start);
  Tick();
  // The save folder changed during the recording to one without the folder.
  test::TempFolder elsewhere;
  SetControlText(form_->txtPath, elsewhere.path());
  Tick();
  const std::string path =
      elsewhere.path() + "\\" + form_->recording.RecordingFolder() + "\\Alice0000001.bmp";
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, "Failed to save to BMP:\r\n" + path);
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  ExpectHalted();
  EXPECT_EQ(ControlText(form_->Text1), "0");

  // The number was not used up: the next recording writes it.
  SetControlText(form_->txtPath, save_.path());
  WaitForNextSecond();
  Press(form_->Start);
  Tick();
  EXPECT_TRUE(FileExists(Folder() + "\\Alice0000001.bmp"));
  EXPECT_TRUE(FileExists(Folder() + "\\Alice0000001.jpg"));
}

// A message box runs a modal loop in which Timer1 keeps ticking. The recorder
// plays that loop: while the JPEG writer's warning is up, ticks are posted
// and dispatched, and one is called directly. None of them may start.
TEST_F(RecordingLoop, TicksDuringAFailureMessageAreDroppedSoOneMessageShows) {
  Press(form_->Start);
  Tick();
  test::TempFolder elsewhere;
  SetControlText(form_->txtPath, elsewhere.path());
  messages_.onShow = [&](const test::ShownMessage&) {
    if (messages_.messages().size() > 1) return;  // already failed: no endless nesting
    for (int i = 0; i < 3; ++i) ::PostMessageA(form_->hwnd(), WM_TIMER, kTimer1, 0);
    test::PumpUntil([] {
      MSG msg;
      return !::PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_NOREMOVE);
    });
    form_->Timer1_Timer();
  };
  Tick();
  messages_.onShow = nullptr;
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, test::kJpegFailedText);
  ExpectHalted();
  EXPECT_EQ(ControlText(form_->Text1), "0");
  EXPECT_TRUE(test::FilesIn(elsewhere.path()).empty());
  EXPECT_TRUE(test::SubfoldersOf(elsewhere.path()).empty());
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
        const std::vector<std::string> files = test::FilesIn(folder);
        return !files.empty() && test::ShowsDemoPane(folder + "\\" + files.back(), 24);
      },
      10000);
  Press(form_->btstop);
  const std::vector<std::string> files = test::FilesIn(folder);
  ASSERT_FALSE(files.empty());
  EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + files.back(), 24));
  EXPECT_TRUE(messages_.messages().empty());
}

}  // namespace
}  // namespace lumavex
