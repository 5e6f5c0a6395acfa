#pragma once
// Whether the user's session is locked now. The system tells a window of its
// own (message-only) when the session locks and unlocks, and the input
// desktop is asked at every call too: a session that was locked before the
// watch began, or a secure desktop in front, is then found as well.
#include <windows.h>

#include "platform/kernel.h"

namespace lumavex {

class SessionLockWatch {
 public:
  SessionLockWatch();
  ~SessionLockWatch();
  SessionLockWatch(const SessionLockWatch&) = delete;
  SessionLockWatch& operator=(const SessionLockWatch&) = delete;

  bool Locked() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  UniqueWindow window_;
  bool registered_ = false;
  bool toldLocked_ = false;
};

// The class name of the watch's window, by which the tests find it to play
// the system's part.
inline constexpr const wchar_t* kSessionWatchClass = L"LumavexSessionWatch";

}  // namespace lumavex
