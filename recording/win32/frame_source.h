#pragma once
// Where a recording's frames come from. Today the screen copy of the pane;
// a capture of the window itself can be one more source behind the same
// interface.
#include <windows.h>

#include "discovery/pane_geometry.h"
#include "imaging/image.h"
#include "imaging/win32/screen_frame.h"
#include "platform/picture.h"

namespace lumavex {

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Takes the pane of `window`, which lies at `pane` on the screen. False,
  // with the system's error code in `error`, when no frame could be taken.
  virtual bool Take(HWND window, const PaneRect& pane, DWORD& error) = 0;
  // The frame taken, bottom row first, for the stamp and the files.
  virtual Bgr24Target Pixels() const = 0;
  // The frame as a picture for the previews, which then own it.
  virtual Picture TakePicture() = 0;
  // Lets go of what is kept between frames (the recording ended).
  virtual void Release() = 0;
};

// The pane copied from the screen, whatever covers it.
class ScreenCopySource : public FrameSource {
 public:
  bool Take(HWND, const PaneRect& pane, DWORD& error) override {
    return frame_.Grab(pane.left, pane.top, pane.width, pane.height, error);
  }
  Bgr24Target Pixels() const override { return frame_.Pixels(); }
  Picture TakePicture() override { return frame_.TakePicture(); }
  void Release() override { frame_.Release(); }

 private:
  ScreenFrame frame_;
};

}  // namespace lumavex
