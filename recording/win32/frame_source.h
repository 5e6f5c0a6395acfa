#pragma once
// Where a recording's frames come from: the pane of the recorded window,
// from the screen or from the window itself (recording/win32/pane_capture.h).
#include <windows.h>

#include <string>

#include "imaging/image.h"
#include "platform/picture.h"
#include "recording/win32/recorded_window.h"

namespace lumavex {

// What a slot gave.
enum class ShotKind {
  Taken,          // a frame: Pixels() and TakePicture() hold it
  NoPicture,      // neither the screen nor the window gave the pane (`why`)
  ScreenRefused,  // the screen could not be copied (a locked session)
  Failed,         // no memory or device context for a frame (`error`)
};
struct Shot {
  ShotKind kind = ShotKind::Taken;
  std::string why;
  DWORD error = 0;
};

class FrameSource {
 public:
  virtual ~FrameSource() = default;
  // Takes the pane of `window`, as `look` found it just now.
  virtual Shot Take(HWND window, const WindowLook& look) = 0;
  // The frame taken, bottom row first, 163 x 123, for the stamp and the files.
  virtual Bgr24Target Pixels() const = 0;
  // The frame as a picture for the previews, which then own it.
  virtual Picture TakePicture() = 0;
  // Lets go of what is kept between frames (the recording ended).
  virtual void Release() = 0;
};

}  // namespace lumavex
