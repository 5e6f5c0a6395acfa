#include "recording/win32/session_lock.h"

#include <wtsapi32.h>

namespace lumavex {
namespace {

void RegisterWatchClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kSessionWatchClass;
    return ::RegisterClassExW(&wc);
  }();
  (void)atom;
}

// The desktop that takes the user's input is not ours to open while the
// session is locked (the secure desktop is in front).
bool InputDesktopClosedToUs() {
  const UniqueDesktop desktop(::OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS));
  return !desktop;
}

}  // namespace

SessionLockWatch::SessionLockWatch() {
  RegisterWatchClass();
  window_.reset(::CreateWindowExW(0, kSessionWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr));
  if (!window_) return;
  ::SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
  registered_ = ::WTSRegisterSessionNotification(window_.get(), NOTIFY_FOR_THIS_SESSION) != FALSE;
}

SessionLockWatch::~SessionLockWatch() {
  if (registered_) ::WTSUnRegisterSessionNotification(window_.get());
}

bool SessionLockWatch::Locked() const { return toldLocked_ || InputDesktopClosedToUs(); }

LRESULT CALLBACK SessionLockWatch::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_WTSSESSION_CHANGE) {
    auto* watch = reinterpret_cast<SessionLockWatch*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (watch && wparam == WTS_SESSION_LOCK) watch->toldLocked_ = true;
    if (watch && wparam == WTS_SESSION_UNLOCK) watch->toldLocked_ = false;
    return 0;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace lumavex
