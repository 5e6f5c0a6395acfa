// The main window after start-up: every control, its caption, default,
// enabled state and place.
#include <gtest/gtest.h>
#include <ole2.h>

#include "app/form1.h"
#include "base/utf8.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/picture_view.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class Form1StartUp : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    form_ = Form1::Create(true);
    ASSERT_NE(form_, nullptr);
  }
  void TearDown() override {
    form_.reset();
    ::OleUninitialize();
  }
  test::MessageRecorder messages_;
  std::unique_ptr<Form1> form_;
};

std::string ClassOf(HWND hwnd) {
  char name[64] = {};
  ::GetClassNameA(hwnd, name, sizeof name);
  return name;
}

RECT ClientRectOf(HWND control) {
  RECT r;
  ::GetWindowRect(control, &r);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(Form1StartUp, WindowHasTheTitleAndTheDesignedClientArea) {
  char title[64] = {};
  ::GetWindowTextA(form_->hwnd(), title, sizeof title);
  EXPECT_STREQ(title, "Lumavex");
  RECT client;
  ::GetClientRect(form_->hwnd(), &client);
  EXPECT_EQ(client.right, Form1::TwipsToPixels(4920));
  EXPECT_EQ(client.bottom, Form1::TwipsToPixels(3255));
  if (Form1::TwipsToPixels(1440) == 96) {
    EXPECT_EQ(client.right, 328);
    EXPECT_EQ(client.bottom, 217);
  }
}

TEST_F(Form1StartUp, ControlsHaveTheirCaptionsAndDefaults) {
  Form1& f = *form_;
  EXPECT_EQ(ControlText(f.cbjpg), "Save as JPG");
  EXPECT_EQ(ControlText(f.cbbmp), "Save as BMP");
  EXPECT_EQ(ControlText(f.windowtop), "Keep webcam window on top");
  EXPECT_EQ(CheckValue(f.cbjpg), 1);
  EXPECT_EQ(CheckValue(f.cbbmp), 0);
  EXPECT_EQ(CheckValue(f.windowtop), 1);
  EXPECT_EQ(ControlText(f.Label2), "Frame Rate:");
  EXPECT_EQ(ControlText(f.txtFPS), "3");
  EXPECT_EQ(ControlText(f.Label1), "Frame Count:");
  EXPECT_EQ(ControlText(f.Text1), "");
  EXPECT_EQ(ControlText(f.Command1), "Refresh List");
  EXPECT_EQ(ControlText(f.Start), "Start");
  EXPECT_EQ(ControlText(f.btstop), "Stop");
  EXPECT_EQ(ControlText(f.opendir), "");
  EXPECT_EQ(ControlText(f.pause), "Pause");
  EXPECT_EQ(ControlText(f.reset), "Reset");
  EXPECT_EQ(ControlText(f.Label6), "Messenger Language:");
  EXPECT_EQ(ControlText(f.Label3), "Save to:");
  EXPECT_EQ(ControlText(f.aviwrite), "Write Avi");
  EXPECT_EQ(ControlText(f.Label4), "Currently encoding:");
  EXPECT_EQ(ControlText(f.txtPath), ExecutableFolder());
  EXPECT_EQ(ListCount(f.File1), 0);

  EXPECT_EQ(ClassOf(f.List1), "ListBox");
  EXPECT_EQ(ClassOf(f.File1), "ListBox");
  EXPECT_EQ(ClassOf(f.Combo1), "ComboBox");
  EXPECT_EQ(ClassOf(f.txtPath), "Edit");
}

TEST_F(Form1StartUp, OnlyStartRefreshWriteAviAndTheFolderButtonAreUsable) {
  Form1& f = *form_;
  EXPECT_TRUE(IsControlEnabled(f.Start));
  EXPECT_TRUE(IsControlEnabled(f.Command1));
  EXPECT_TRUE(IsControlEnabled(f.aviwrite));
  EXPECT_TRUE(IsControlEnabled(f.opendir));
  EXPECT_FALSE(IsControlEnabled(f.btstop));
  EXPECT_FALSE(IsControlEnabled(f.pause));
  EXPECT_FALSE(IsControlEnabled(f.reset));
  EXPECT_TRUE(IsControlEnabled(f.cbjpg));
  EXPECT_TRUE(IsControlEnabled(f.cbbmp));
  EXPECT_TRUE(IsControlEnabled(f.windowtop));
  EXPECT_TRUE(IsControlEnabled(f.txtPath));
  EXPECT_TRUE(IsControlEnabled(f.txtFPS));
}

TEST_F(Form1StartUp, LanguageChoiceIsDisabledOnEnglish) {
  EXPECT_FALSE(IsControlEnabled(form_->Combo1));
  EXPECT_EQ(ComboSelected(form_->Combo1), 0);
  EXPECT_EQ(ComboText(form_->Combo1, 0), "English");
  EXPECT_EQ(ComboText(form_->Combo1, 1), "German");
}

TEST_F(Form1StartUp, TimersAreIdleAndTheSecondIsOff) {
  EXPECT_FALSE(form_->Timer1.Running());
  EXPECT_EQ(form_->Timer1.Interval(), 0u);
  EXPECT_FALSE(form_->Timer2.Enabled());
  EXPECT_FALSE(form_->Timer2.Running());
  EXPECT_EQ(form_->Timer2.Interval(), 2000u);
  EXPECT_EQ(form_->recorder.State().FrameCounter(), 0);
  EXPECT_TRUE(form_->recorder.State().RecordingFolder().empty());
}

TEST_F(Form1StartUp, ControlsSitWhereTheDesignPutsThem) {
  struct Expect {
    HWND control;
    int left, top, width, height;
  };
  const Form1& f = *form_;
  const Expect table[] = {
      {f.List1, 75, 75, 1575, 1200},      {f.Image1, 1800, 75, 1680, 1230},
      {f.cbjpg, 3600, 150, 1275, 195},    {f.Command1, 45, 1350, 1590, 300},
      {f.Start, 1800, 1350, 765, 300},    {f.btstop, 2550, 1350, 765, 300},
      {f.Picture1, 3825, 1350, 255, 255}, {f.opendir, 75, 1725, 375, 300},
      {f.txtPath, 450, 1725, 1860, 285},  {f.pause, 3525, 1950, 615, 300},
      {f.reset, 4125, 1950, 615, 300},    {f.aviwrite, 3975, 2625, 930, 255},
      {f.File1, 1485, 2685, 2415, 225},   {f.txtFPS, 4500, 600, 300, 225},
      {f.Text1, 3600, 1050, 1260, 255},
  };
  for (const Expect& e : table) {
    const RECT r = ClientRectOf(e.control);
    EXPECT_EQ(r.left, Form1::TwipsToPixels(e.left)) << e.left;
    EXPECT_EQ(r.top, Form1::TwipsToPixels(e.top)) << e.top;
    EXPECT_EQ(r.right, Form1::TwipsToPixels(e.left + e.width)) << e.left;
    EXPECT_EQ(r.bottom, Form1::TwipsToPixels(e.top + e.height)) << e.top;
  }
}

TEST_F(Form1StartUp, FolderButtonShowsASixteenPixelPicture) {
  auto bitmap = reinterpret_cast<HBITMAP>(::SendMessageA(form_->opendir, BM_GETIMAGE, IMAGE_BITMAP, 0));
  ASSERT_NE(bitmap, nullptr);
  BITMAP bm{};
  ASSERT_EQ(::GetObjectA(bitmap, sizeof bm, &bm), static_cast<int>(sizeof bm));
  EXPECT_EQ(bm.bmWidth, 16);
  EXPECT_EQ(bm.bmHeight, 16);
  EXPECT_EQ(bm.bmBitsPixel, 8);
}

// On a monitor of another DPI the system resizes the frame and menu bar; the
// window then lays its controls out at that DPI and gives the client area
// the designed size there, whatever size the system suggested.
TEST_F(Form1StartUp, ADpiChangeLaysTheWindowOutAtTheNewDpi) {
  const RECT listAtStart = ClientRectOf(form_->List1);
  RECT outer;
  ::GetWindowRect(form_->hwnd(), &outer);
  for (const int grow : {-40, 60}) {
    ::SetWindowPos(form_->hwnd(), nullptr, 0, 0, outer.right - outer.left + grow,
                   outer.bottom - outer.top + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT suggested = outer;
    ::SendMessageW(form_->hwnd(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT client;
    ::GetClientRect(form_->hwnd(), &client);
    EXPECT_EQ(client.right, ::MulDiv(4920, 144, 1440)) << grow;
    EXPECT_EQ(client.bottom, ::MulDiv(3255, 144, 1440)) << grow;
  }
  // The design's twips at 144 DPI: Start at 1800, 1350, 765 x 300.
  const RECT start = ClientRectOf(form_->Start);
  EXPECT_EQ(start.left, 180);
  EXPECT_EQ(start.top, 135);
  EXPECT_EQ(start.right, ::MulDiv(2565, 144, 1440));
  EXPECT_EQ(start.bottom, 165);
  // Back on the first monitor, every control is where it was.
  RECT suggested = outer;
  const int dpi = Form1::TwipsToPixels(1440);
  ::SendMessageW(form_->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
  const RECT list = ClientRectOf(form_->List1);
  EXPECT_TRUE(::EqualRect(&list, &listAtStart));
}

// Every caption fits its control, with the font the control draws it in:
// at start, and at 144 and 192 DPI.
::testing::AssertionResult CaptionsFit(const Form1& f) {
  for (HWND control : {f.cbjpg, f.cbbmp, f.Label2, f.Label1, f.Command1, f.Start, f.btstop, f.windowtop,
                       f.pause, f.reset, f.Label6, f.Label3, f.aviwrite, f.Label4}) {
    const std::wstring text = Widen(ControlText(control));
    HDC dc = ::GetDC(control);
    const HGDIOBJ old =
        ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    RECT r;
    ::GetClientRect(control, &r);
    const bool box = ClassOf(control) == "Button" &&
                     (::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
    if (extent.cx + (box ? ::GetSystemMetrics(SM_CXMENUCHECK) : 0) > r.right)
      return ::testing::AssertionFailure()
             << ControlText(control) << " needs " << extent.cx << " of " << r.right;
  }
  return ::testing::AssertionSuccess();
}

TEST_F(Form1StartUp, NoCaptionIsClipped) {
  EXPECT_TRUE(CaptionsFit(*form_));
  RECT suggested{};
  ::GetWindowRect(form_->hwnd(), &suggested);
  for (const int dpi : {144, 192}) {
    ::SendMessageW(form_->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_TRUE(CaptionsFit(*form_)) << dpi;
  }
}

TEST_F(Form1StartUp, StartUpShowsNoMessage) { EXPECT_TRUE(messages_.messages().empty()); }

}  // namespace
}  // namespace lumavex
