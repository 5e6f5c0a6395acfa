#include "recording/win32/pane_capture.h"

#include "imaging/flat_picture.h"
#include "platform/gdi.h"
#include "recording/win32/pane_surroundings.h"

namespace lumavex {
namespace {

// Windows 8.1's flag, which the headers for Windows 7 lack.
constexpr UINT kPrintRenderFullContent = 2;

std::string NoPictureBecause(const char* route, const char* window) {
  return std::string(route) + "; " + window;
}

}  // namespace

Shot PaneCapture::Take(HWND window, const WindowLook& look) {
  if (look.minimised) return Shot{ShotKind::NoPicture, kWindowMinimisedWhy};
  const RouteChoice choice = ChooseCaptureRoute(look.pane, SurroundingsOf(window));
  return TakeBy(choice.route, window, look, choice.why);
}

Shot PaneCapture::TakeBy(CaptureRoute route, HWND window, const WindowLook& look, const char* why) {
  route_ = route;
  return route == CaptureRoute::Screen ? FromScreen(look.pane) : FromWindow(window, look, why);
}

Shot PaneCapture::FromScreen(const PaneRect& pane) {
  DWORD error = 0;
  switch (frame_.GrabFrom(nullptr, pane.left, pane.top, pane.width, pane.height, kPaneWidth, kPaneHeight,
                          error)) {
    case ScreenFrame::Copy::Done:
      return Shot{};
    case ScreenFrame::Copy::SourceRefused:
      frame_.TakePicture();  // no frame of a failed copy
      return Shot{ShotKind::ScreenRefused, {}, error};
    case ScreenFrame::Copy::NoSection:
      break;
  }
  return Shot{ShotKind::Failed, {}, error};
}

// The whole window drawn into a bitmap of its size on the screen, the pane
// cropped from it at its place in the window.
Shot PaneCapture::FromWindow(HWND window, const WindowLook& look, const char* why) {
  // Drawing asks the window's program (a message under the older systems):
  // one that does not answer would hold the recording.
  if (::IsHungAppWindow(window)) return Shot{ShotKind::NoPicture, NoPictureBecause(why, kWindowHungWhy)};
  const int width = look.window.right - look.window.left;
  const int height = look.window.bottom - look.window.top;
  const Shot none{ShotKind::NoPicture, NoPictureBecause(why, kNoWindowPictureWhy)};
  if (width <= 0 || height <= 0) return none;

  WindowDc screen(nullptr);
  UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  // Zero-filled: what the window does not draw stays one colour.
  UniqueBitmap picture(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!screen || !dc || !picture) {
    const DWORD last = ::GetLastError();
    return Shot{ShotKind::Failed, {}, last ? last : ERROR_NOT_ENOUGH_MEMORY};
  }
  SelectedObject selected(dc.get(), picture.get());
  if (!::PrintWindow(window, dc.get(), kPrintRenderFullContent)) return none;
  ::GdiFlush();
  DWORD error = 0;
  const ScreenFrame::Copy copy =
      frame_.GrabFrom(dc.get(), look.pane.left - look.window.left, look.pane.top - look.window.top,
                      look.pane.width, look.pane.height, kPaneWidth, kPaneHeight, error);
  if (copy == ScreenFrame::Copy::NoSection) return Shot{ShotKind::Failed, {}, error};
  if (copy != ScreenFrame::Copy::Done || OneColour(frame_.ConstPixels())) {
    frame_.TakePicture();  // no frame of a picture that is none
    return none;
  }
  return Shot{};
}

}  // namespace lumavex
