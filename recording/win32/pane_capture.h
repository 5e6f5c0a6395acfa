#pragma once
// The recorded window's pane for one slot, from the screen while all of it
// is there to see, otherwise from the window's own picture of itself
// (PrintWindow with PW_RENDERFULLCONTENT, which draws the window's composed
// picture whether it is covered or off the screen), cropped to the same
// pane. A pane drawn stretched on a scaled display is taken at its size on
// the screen and brought back to 163 x 123. A window that gives no picture
// (minimised, not answering, drawing nothing) gives no frame: never one of
// a single colour.
#include "imaging/win32/screen_frame.h"
#include "recording/capture_route.h"
#include "recording/win32/frame_source.h"

namespace lumavex {

inline constexpr const char* kWindowMinimisedWhy = "the window is minimised";
inline constexpr const char* kWindowHungWhy = "the window does not answer";
inline constexpr const char* kNoWindowPictureWhy = "the window gives no picture of itself";

class PaneCapture : public FrameSource {
 public:
  Shot Take(HWND window, const WindowLook& look) override;
  // The pane by the route given, whatever covers it (for the benchmark).
  Shot TakeBy(CaptureRoute route, HWND window, const WindowLook& look, const char* why = "");
  Bgr24Target Pixels() const override { return frame_.Pixels(); }
  Picture TakePicture() override { return frame_.TakePicture(); }
  void Release() override { frame_.Release(); }

  // The route the last Take chose, for the benchmark and the tests.
  CaptureRoute LastRoute() const { return route_; }

 private:
  Shot FromScreen(const PaneRect& pane);
  Shot FromWindow(HWND window, const WindowLook& look, const char* why);

  ScreenFrame frame_;
  CaptureRoute route_ = CaptureRoute::Screen;
};

}  // namespace lumavex
