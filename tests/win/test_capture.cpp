// Screen capture of a known painted rectangle.
#include <gtest/gtest.h>
#include <ole2.h>

#include "imaging/win32/capture.h"
#include "imaging/win32/image_picture.h"
#include "platform/gdi.h"
#include "platform/picture.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

// A topmost popup painted in four quadrants of known colours.
class PatternWindow {
 public:
  static constexpr COLORREF kColours[4] = {RGB(200, 30, 40), RGB(20, 180, 60), RGB(30, 60, 210),
                                           RGB(250, 240, 10)};

  PatternWindow(int x, int y, int w, int h) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "LumavexCapturePattern";
    ::RegisterClassA(&wc);
    hwnd_ = ::CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE,
                              x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr);
    ::UpdateWindow(hwnd_);
  }
  ~PatternWindow() { ::DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }

  static COLORREF Expected(int x, int y, int w, int h) { return kColours[(x >= w / 2) + 2 * (y >= h / 2)]; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd, &ps);
      RECT c;
      ::GetClientRect(hwnd, &c);
      for (int q = 0; q < 4; ++q) {
        RECT r{q % 2 ? c.right / 2 : 0, q / 2 ? c.bottom / 2 : 0, q % 2 ? c.right : c.right / 2,
               q / 2 ? c.bottom : c.bottom / 2};
        UniqueBrush brush(::CreateSolidBrush(kColours[q]));
        ::FillRect(dc, &r, brush.get());
      }
      ::EndPaint(hwnd, &ps);
      return 0;
    }
    return ::DefWindowProcA(hwnd, message, wparam, lparam);
  }
  HWND hwnd_;
};

class Capture : public ::testing::Test {
 protected:
  void SetUp() override { ::OleInitialize(nullptr); }
  void TearDown() override { ::OleUninitialize(); }
  test::MessageRecorder messages_;
};

TEST_F(Capture, CopiesTheScreenRectangleExactly) {
  const int x = 500, y = 300, w = 40, h = 30;
  PatternWindow pattern(x, y, w, h);
  ASSERT_TRUE(
      test::PumpUntil([&] { return test::ScreenPixel(x + w - 1, y + h - 1) == PatternWindow::kColours[3]; }));

  Picture picture = CaptureWindow(nullptr, x, y, w, h);
  ASSERT_TRUE(picture);
  const SIZE size = PictureSizePixels(picture.get());
  EXPECT_EQ(size.cx, w);
  EXPECT_EQ(size.cy, h);
  EXPECT_EQ(PicturePalette(picture.get()), nullptr);  // no palette on a true-colour screen

  Image image;
  ASSERT_TRUE(ImageOfBitmap(PictureBitmap(picture.get()), image));
  const std::vector<std::uint8_t>& rows = image.pixels();
  const int stride = (w * 3 + 3) & ~3;
  int wrong = 0;
  for (int py = 0; py < h; ++py) {
    for (int px = 0; px < w; ++px) {
      const auto* p = reinterpret_cast<const unsigned char*>(&rows[(h - 1 - py) * stride + px * 3]);
      const COLORREF want = PatternWindow::Expected(px, py, w, h);
      wrong += p[2] != GetRValue(want) || p[1] != GetGValue(want) || p[0] != GetBValue(want);
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(Capture, OnePixelCaptureIsThatScreenPixel) {
  PatternWindow pattern(600, 100, 10, 10);
  ASSERT_TRUE(test::PumpUntil([&] { return test::ScreenPixel(609, 109) == PatternWindow::kColours[3]; }));
  Picture picture = CaptureWindow(nullptr, 601, 101, 1, 1);
  Image image;
  ASSERT_TRUE(ImageOfBitmap(PictureBitmap(picture.get()), image));
  const std::vector<std::uint8_t>& rows = image.pixels();
  EXPECT_EQ(static_cast<unsigned char>(rows[2]), GetRValue(PatternWindow::kColours[0]));
  EXPECT_EQ(static_cast<unsigned char>(rows[1]), GetGValue(PatternWindow::kColours[0]));
  EXPECT_EQ(static_cast<unsigned char>(rows[0]), GetBValue(PatternWindow::kColours[0]));
}

TEST_F(Capture, CapturesAreIndependentAndReleaseTheirHandles) {
  PatternWindow pattern(500, 500, 20, 20);
  ASSERT_TRUE(test::PumpUntil([&] { return test::ScreenPixel(519, 519) == PatternWindow::kColours[3]; }));
  const DWORD gdiBefore = ProcessGdiObjectCount();
  const long dcsBefore = WindowDc::live_count();
  const long memBefore = UniqueMemoryDc::live();
  {
    Picture first = CaptureWindow(nullptr, 500, 500, 20, 20);
    Picture second = CaptureWindow(nullptr, 500, 500, 20, 20);
    ASSERT_TRUE(first && second);
    EXPECT_NE(PictureBitmap(first.get()), PictureBitmap(second.get()));
    first.reset();
    Image image;
    ASSERT_TRUE(ImageOfBitmap(PictureBitmap(second.get()), image));
    const std::vector<std::uint8_t>& rows = image.pixels();
    EXPECT_EQ(static_cast<unsigned char>(rows[2]), GetRValue(PatternWindow::kColours[2]));  // bottom-left
  }
  for (int i = 0; i < 500; ++i) CaptureWindow(nullptr, 500, 500, 20, 20);
  EXPECT_EQ(WindowDc::live_count(), dcsBefore);
  EXPECT_EQ(UniqueMemoryDc::live(), memBefore);
  // The pictures deleted their bitmaps: the process holds no more GDI objects.
  EXPECT_LE(ProcessGdiObjectCount(), gdiBefore + 2);
}

TEST_F(Capture, BitmapPictureOwnsItsBitmap) {
  WindowDc screen(nullptr);
  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), 3, 3));
  HBITMAP raw = bitmap.get();
  Picture picture = CreateBitmapPicture(std::move(bitmap), UniquePalette());
  ASSERT_TRUE(picture);
  EXPECT_EQ(PictureBitmap(picture.get()), raw);
  BITMAP bm{};
  EXPECT_EQ(::GetObjectA(raw, sizeof bm, &bm), static_cast<int>(sizeof bm));
  picture.reset();
  EXPECT_EQ(::GetObjectA(raw, sizeof bm, &bm), 0);  // deleted with the picture
}

}  // namespace
}  // namespace lumavex
