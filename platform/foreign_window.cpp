#include "platform/foreign_window.h"

#include "base/utf8.h"

namespace lumavex {

std::string WindowTitle(HWND window) {
  // No length can be asked without a message: the buffer grows until the
  // title fits with room to spare.
  std::wstring text(256, L'\0');
  for (;;) {
    const int got = ::InternalGetWindowText(window, text.data(), static_cast<int>(text.size()));
    if (got < static_cast<int>(text.size()) - 1 || text.size() >= 32768) {
      text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
      return Narrow(text);
    }
    text.assign(text.size() * 2, L'\0');
  }
}

void RestoreWithoutWaiting(HWND window) { ::ShowWindowAsync(window, SW_RESTORE); }

void MakeTopmostWithoutWaiting(HWND window) {
  ::SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

bool TakesMessagesWithin(HWND window, UINT timeoutMs) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool SystemCallsHung(HWND window) { return ::IsHungAppWindow(window) != FALSE; }

}  // namespace lumavex
