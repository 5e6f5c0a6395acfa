// Frames of a pane that is covered or off the screen come from the window
// itself; a window that gives no picture gives no frame and one `hidden`
// line; a locked session gives `locked` and `unlocked`, never `lost`; the
// machine is kept awake while a recording is open. Wine draws a window
// into a capture only within its own process, so the recorded window here
// is the test's own, painting the demo pane where the geometry puts it.
#include <windows.h>
#include <wtsapi32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "discovery/win32/window_geometry.h"
#include "imaging/win32/screen_frame.h"
#include "platform/gdi.h"
#include "platform/kernel.h"
#include "recording/win32/pane_capture.h"
#include "recording/win32/recorder.h"
#include "recording/win32/session_lock.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"
#include "tools/democonv/own_conversation.h"

namespace lumavex {
namespace {

// A plain window of another colour, in front of everything.
UniqueWindow CoverAt(int x, int y, int width, int height) {
  UniqueWindow cover(::CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                                       WS_POPUP | SS_BLACKRECT, x, y, width, height, nullptr, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr));
  ::ShowWindow(cover.get(), SW_SHOWNOACTIVATE);
  ::UpdateWindow(cover.get());
  test::PumpFor(100);
  return cover;
}

class ViewCount : public RecorderView {
 public:
  void ShowFrame(const Picture& picture) override { frames += picture ? 1 : 0; }
  void ShowWaiting(const std::string&) override {}
  int frames = 0;
};

class PaneCaptureTest : public ::testing::Test {
 protected:
  void SetUp() override { ::OleInitialize(nullptr); }
  void TearDown() override { ::OleUninitialize(); }

  RecorderOptions Options(HWND window) const {
    RecorderOptions options;
    options.row = WebcamRow{true, "Own - Conversation", window};
    options.jpg = false;
    options.bmp = true;  // lossless: the pane's colours exactly
    options.keepOnTop = false;
    options.saveFolder = save_.path();
    return options;
  }
  void Tick(const RecorderOptions& options) {
    if (const std::optional<std::int64_t> due = recorder_.State().NextDueMs())
      clock_.Set(std::max(clock_.now(), *due));
    EXPECT_FALSE(recorder_.Tick(options));
    test::PumpFor(20);
  }
  std::string Folder() const { return save_.path() + "\\" + recorder_.State().RecordingFolder(); }
  // times.csv's lines but frames: event and detail.
  std::vector<std::string> Events() const {
    std::vector<std::uint8_t> bytes;
    std::vector<std::string> events;
    if (!ReadWholeFile(Folder() + "\\times.csv", bytes)) return events;
    for (const TimesRecord& r : ParseTimesCsv(std::string(bytes.begin(), bytes.end())).records) {
      std::string line = TimesEventName(r.event);
      if (r.event == TimesEvent::Frame) line += " " + std::to_string(*r.frame);
      if (r.event != TimesEvent::Start && r.event != TimesEvent::Frame && !r.detail.empty())
        line += ": " + r.detail;
      events.push_back(line);
    }
    return events;
  }
  COLORREF ScreenAtPane(HWND window, int x, int y) const {
    return test::ScreenPixel(CurrentPaneRect(window).left + x, CurrentPaneRect(window).top + y);
  }

  test::TempFolder save_;
  test::ManualClock clock_;
  ViewCount view_;
  Recorder recorder_{view_};
};

TEST_F(PaneCaptureTest, ACoveredPaneIsRecordedFromTheWindow) {
  OwnConversation own(60, 60);
  const PaneRect pane = CurrentPaneRect(own.hwnd());
  const UniqueWindow cover = CoverAt(pane.left + 40, pane.top + 10, 200, 60);
  ASSERT_NE(ScreenAtPane(own.hwnd(), 130, 15), RGB(30, 150, 90))
      << "the cover lies over the pane on the screen";

  const RecorderOptions options = Options(own.hwnd());
  ASSERT_FALSE(recorder_.Start(options));
  Tick(options);
  recorder_.Stop();
  ASSERT_EQ(test::FramesIn(Folder()), (std::vector<std::string>{"Own0000000.bmp"}));
  EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\Own0000000.bmp", 0));
}

TEST_F(PaneCaptureTest, APanePartlyOffTheScreenIsRecordedWhole) {
  // The window's right edge at x = 120: the pane begins 70 pixels left of
  // the screen, where the ball is.
  OwnConversation own(-300, 60);
  ASSERT_LT(CurrentPaneRect(own.hwnd()).left, -50);
  const RecorderOptions options = Options(own.hwnd());
  ASSERT_FALSE(recorder_.Start(options));
  Tick(options);
  recorder_.Stop();
  ASSERT_EQ(test::FramesIn(Folder()).size(), 1u);
  EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\Own0000000.bmp", 0));
}

TEST_F(PaneCaptureTest, AWindowWithNoPictureGivesHiddenOnceAndNoFrameUntilShown) {
  OwnConversation own(60, 60);
  const PaneRect pane = CurrentPaneRect(own.hwnd());
  const UniqueWindow cover = CoverAt(pane.left, pane.top, 30, 30);
  own.SetBlank(true);
  const RecorderOptions options = Options(own.hwnd());
  ASSERT_FALSE(recorder_.Start(options));
  for (int i = 0; i < 3; ++i) Tick(options);
  EXPECT_TRUE(test::FramesIn(Folder()).empty()) << "never a frame of one colour";
  EXPECT_EQ(view_.frames, 0);
  own.SetBlank(false);
  Tick(options);
  recorder_.Stop();
  EXPECT_EQ(Events(),
            (std::vector<std::string>{
                "start",
                "hidden: the pane is covered by another window; the window gives no picture of itself",
                "shown", "frame 0", "stop"}));
  EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\Own0000000.bmp", 0));
}

TEST_F(PaneCaptureTest, AMinimisedWindowGivesNoFrame) {
  OwnConversation own(60, 60);
  ::ShowWindow(own.hwnd(), SW_SHOWMINNOACTIVE);
  test::PumpFor(100);
  PaneCapture capture;
  const Shot shot = capture.Take(own.hwnd(), LookAtWindow(own.hwnd()));
  EXPECT_EQ(shot.kind, ShotKind::NoPicture);
  EXPECT_EQ(shot.why, kWindowMinimisedWhy);
  EXPECT_FALSE(capture.TakePicture());
}

// A pane the system draws stretched (a program unaware of DPI at 200%) is
// taken at its size on the screen and brought back to the frame's size.
TEST(StretchedPane, IsBroughtBackTo163By123) {
  WindowDc screen(nullptr);
  UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
  UniqueBitmap twice(::CreateCompatibleBitmap(screen.get(), 326, 246));
  ASSERT_TRUE(dc && twice);
  {
    SelectedObject selected(dc.get(), twice.get());
    auto fill = [&](const RECT& r, COLORREF colour) {
      UniqueBrush brush(::CreateSolidBrush(colour));
      ::FillRect(dc.get(), &r, brush.get());
    };
    const COLORREF bands[4] = {RGB(30, 150, 90), RGB(40, 120, 170), RGB(170, 120, 40), RGB(120, 40, 150)};
    for (int band = 0; band < 4; ++band)
      fill(RECT{0, band * 246 / 4, 326, (band + 1) * 246 / 4}, bands[band]);
    fill(RECT{4, 102, 44, 142}, RGB(250, 250, 250));
  }
  ScreenFrame frame;
  DWORD error = 0;
  SelectedObject selected(dc.get(), twice.get());
  ASSERT_EQ(frame.GrabFrom(dc.get(), 0, 0, 326, 246, kPaneWidth, kPaneHeight, error),
            ScreenFrame::Copy::Done);
  const Bgr24Source pixels = frame.ConstPixels();
  ASSERT_EQ(pixels.width, 163);
  ASSERT_EQ(pixels.height, 123);
  for (const test::PaneProbe& p : test::kPaneProbes) {
    const std::uint8_t* px = pixels.bits + (pixels.height - 1 - p.y) * pixels.stride + 3 * p.x;
    EXPECT_NEAR(px[2], GetRValue(p.colour), 8) << p.x << "," << p.y;
    EXPECT_NEAR(px[1], GetGValue(p.colour), 8) << p.x << "," << p.y;
    EXPECT_NEAR(px[0], GetBValue(p.colour), 8) << p.x << "," << p.y;
  }
}

// The system's session notifications, played by sending them to the
// recorder's watch window as the system would.
void TellSession(WPARAM change) {
  const HWND watch = ::FindWindowExW(HWND_MESSAGE, nullptr, kSessionWatchClass, nullptr);
  ASSERT_TRUE(watch);
  ::SendMessageW(watch, WM_WTSSESSION_CHANGE, change, ::WTSGetActiveConsoleSessionId());
}

TEST_F(PaneCaptureTest, ALockedSessionWritesNoFramesAndIsNeverALostWindow) {
  OwnConversation own(60, 60);
  const RecorderOptions options = Options(own.hwnd());
  ASSERT_FALSE(recorder_.Start(options));
  Tick(options);
  TellSession(WTS_SESSION_LOCK);
  Tick(options);
  // Locked, the window may look gone (the secure desktop is in front): it
  // is not looked at.
  ::ShowWindow(own.hwnd(), SW_HIDE);
  Tick(options);
  Tick(options);
  ::ShowWindow(own.hwnd(), SW_SHOWNOACTIVATE);
  test::PumpFor(50);
  TellSession(WTS_SESSION_UNLOCK);
  Tick(options);
  recorder_.Stop();
  EXPECT_EQ(Events(), (std::vector<std::string>{"start", "frame 0", "locked: the session is locked",
                                                "unlocked", "frame 1", "stop"}));
}

// While a recording is open (paused too) the system may not sleep; the
// display may. The request ends with the recording.
TEST_F(PaneCaptureTest, TheMachineIsKeptAwakeWhileARecordingIsOpen) {
  // A request without ES_CONTINUOUS changes nothing lasting and returns the
  // state in force.
  auto state = [] { return ::SetThreadExecutionState(ES_SYSTEM_REQUIRED); };
  OwnConversation own(60, 60);
  const RecorderOptions options = Options(own.hwnd());
  ASSERT_FALSE(recorder_.Start(options));
  EXPECT_EQ(state(), static_cast<EXECUTION_STATE>(ES_CONTINUOUS | ES_SYSTEM_REQUIRED));
  recorder_.Pause();
  EXPECT_EQ(state() & ES_SYSTEM_REQUIRED, static_cast<EXECUTION_STATE>(ES_SYSTEM_REQUIRED));
  recorder_.Stop();
  EXPECT_EQ(state() & ES_SYSTEM_REQUIRED, 0u);
}

}  // namespace
}  // namespace lumavex
