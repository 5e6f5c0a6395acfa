#pragma once
// A conversation window of the calling process: the demo pane's four bands
// and its ball where the pane geometry puts them, on the screen and in the
// picture of itself it is asked for (WM_PRINT, which is how Wine's
// PrintWindow asks; Wine draws no other process's window into a capture);
// or, blank, one flat colour everywhere. For the tests and the tick
// benchmark of the window capture.
#include <windows.h>

#include "platform/kernel.h"

namespace lumavex {

class OwnConversation {
 public:
  // Shown at (x, y), 420 x 330, titled "Own - Conversation", not activated.
  OwnConversation(int x, int y);
  OwnConversation(const OwnConversation&) = delete;
  OwnConversation& operator=(const OwnConversation&) = delete;

  HWND hwnd() const { return window_.get(); }
  void SetBlank(bool blank);

 private:
  void Paint(HDC dc) const;
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  UniqueWindow window_;
  bool blank_ = false;
};

}  // namespace lumavex
