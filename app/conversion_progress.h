#pragma once
// How far "Write Avi" has come, shown as Windows users look for it: a
// progress bar with "1,234 of 40,000 frames" beside it in the main window
// (shown only while a conversion runs), and the taskbar button's progress.
#include <windows.h>
#include <shobjidl.h>

#include "platform/com_ptr.h"

namespace lumavex {

class ConversionProgress {
 public:
  // `window` owns the taskbar button; `bar` and `text` are its controls.
  ConversionProgress(HWND window, HWND bar, HWND text) : window_(window), bar_(bar), text_(text) {}

  void Begin();
  // `done` of `total` frames are written (total 0: the list is not known yet).
  void Show(int done, int total);
  void End();

 private:
  HWND window_;
  HWND bar_;
  HWND text_;
  ComPtr<ITaskbarList3> taskbar_;  // none where the system has no such taskbar
};

}  // namespace lumavex
