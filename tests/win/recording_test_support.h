#pragma once
// What the recording tests share: the main window set up to record a demo
// window, the recording folders under a save folder, and a check that a frame
// file shows the still demo window's pane.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/form1.h"
#include "discovery/win32/discovery.h"
#include "imaging/win32/image_picture.h"
#include "recording/win32/locale_clock.h"
#include "support/win_test_support.h"
#include "platform/controls.h"
#include "platform/kernel.h"
#include "platform/picture.h"
#include "base/utf8.h"

namespace lumavex::test {

inline constexpr const char* kJpegFailedText =
    "Failed to save to JPG, seems webcam window is closed or no space left.";

// Each test has a save folder of its own, where the list's sample file goes
// too, and OLE for the pictures.
class SaveFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    SetSampleFilePath(save_.path() + "\\lumavex_pixel.bmp");
  }
  void TearDown() override {
    SetSampleFilePath(kSampleFilePath);
    ::OleUninitialize();
  }

  TempFolder save_;
};

// A suite that records one demo conversation window, opened once for the
// whole suite (its SetUpTestSuite calls OpenDemo).
class DemoRecordingTest : public SaveFolderTest {
 protected:
  static void OpenDemo(const char* args, const char* title) {
    demo_ = std::make_unique<DemoWindow>(args, title);
  }
  static void TearDownTestSuite() { demo_.reset(); }
  void SetUp() override {
    SaveFolderTest::SetUp();
    ASSERT_TRUE(demo_ && demo_->ok());
  }

  static inline std::unique_ptr<DemoWindow> demo_;
};

// The recording's steady clock, held by the test from construction to
// destruction. It moves only when a test tick moves it, so ticks of the real
// Timer1 that come in between (while a test pumps messages) find no frame
// due, and every frame is accounted for.
class ManualClock {
 public:
  ManualClock() {
    SetSteadyClockForTests([this] { return now_; });
  }
  ~ManualClock() { UseSystemClock(); }
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;
  std::int64_t now() const { return now_; }
  void Set(std::int64_t ms) { now_ = ms; }
  void Advance(std::int64_t ms) { now_ += ms; }
  // For tests of the real timer.
  void UseSystemClock() { SetSteadyClockForTests(nullptr); }

 private:
  std::int64_t now_ = 1'000'000;
};

// One Timer1 tick when the recording's next one is due (the clock moved to
// that time, never back): one slot of the schedule per call.
inline void TickOnSchedule(Form1& form, ManualClock& clock) {
  if (const std::optional<std::int64_t> due = form.recorder.State().NextDueMs())
    clock.Set(std::max(clock.now(), *due));
  form.Timer1_Timer();
}

// The frame files of a recording folder, sorted: its files but times.csv.
inline std::vector<std::string> FramesIn(const std::string& folder) {
  std::vector<std::string> names = FilesIn(folder);
  names.erase(std::remove(names.begin(), names.end(), std::string("times.csv")), names.end());
  return names;
}

// Names of the folders directly in `folder`, in UTF-8.
inline std::vector<std::string> SubfoldersOf(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  UniqueFind find(::FindFirstFileW(Widen(folder + "\\*").c_str(), &data));
  if (!find) return names;
  do {
    const std::string name = Narrow(data.cFileName);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != "." && name != "..")
      names.push_back(name);
  } while (::FindNextFileW(find.get(), &data));
  return names;
}

// The main window saving into `savePath`, moved away from every demo pane so
// it never covers what is recorded, with the Capture menu's defaults (no
// settings.ini left by an earlier test); null when it cannot open.
inline std::unique_ptr<Form1> OpenRecordingForm(const std::string& savePath) {
  RemoveTree(AppDataFolder() + "\\Lumavex");
  std::unique_ptr<Form1> form = Form1::Create(true);
  if (!form) return form;
  ::SetWindowPos(form->hwnd(), nullptr, 600, 470, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  SetControlText(form->txtPath, savePath);
  return form;
}

// Selects the row of List1 that lists `window`; false when no row does.
inline bool SelectRowOf(const Form1& form, HWND window) {
  for (int i = 0; i < ListCount(form.List1); ++i) {
    if (reinterpret_cast<HWND>(ListData(form.List1, i)) == window) {
      ::SendMessageA(form.List1, LB_SETCURSEL, i, 0);
      return true;
    }
  }
  return false;
}

// The still demo pane, sampled in its four bands (right of the ball, below
// the counter text) and on the ball.
struct PaneProbe {
  int x, y;
  COLORREF colour;
};
inline constexpr PaneProbe kPaneProbes[] = {{130, 15, RGB(30, 150, 90)},
                                            {130, 45, RGB(40, 120, 170)},
                                            {130, 76, RGB(170, 120, 40)},
                                            {130, 107, RGB(120, 40, 150)},
                                            {12, 61, RGB(250, 250, 250)}};

// Decodes a frame file and checks that it is 163 x 123 and shows the still
// demo pane (its bands in the other order for a demo started --reversed);
// `tolerance` per channel allows for JPEG's losses.
inline ::testing::AssertionResult ShowsDemoPane(const std::string& path, int tolerance,
                                                bool reversed = false) {
  const Picture picture = LoadPicture(path);
  if (!picture) return ::testing::AssertionFailure() << path << " does not decode";
  const SIZE size = PictureSizePixels(picture.get());
  if (size.cx != 163 || size.cy != 123)
    return ::testing::AssertionFailure() << path << " is " << size.cx << "x" << size.cy;
  Image image;
  if (!ImageOfPicture(picture.get(), image))
    return ::testing::AssertionFailure() << "cannot read the pixels of " << path;
  for (PaneProbe p : kPaneProbes) {
    if (reversed && p.x == 130) p.y = 122 - p.y;  // the bands, not the ball
    const unsigned char* px = image.RowFromTop(p.y) + 3 * p.x;
    const int b = px[0], g = px[1], r = px[2];
    if (std::abs(r - GetRValue(p.colour)) > tolerance || std::abs(g - GetGValue(p.colour)) > tolerance ||
        std::abs(b - GetBValue(p.colour)) > tolerance)
      return ::testing::AssertionFailure()
             << path << " at (" << p.x << "," << p.y << ") has RGB " << r << "," << g << "," << b;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace lumavex::test
