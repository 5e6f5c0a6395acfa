#pragma once
// Starting the demo conversation window in a process of its own and waiting
// for it, shared by the Windows test support and the tick benchmark.
#include <windows.h>

#include <functional>
#include <string>

#include "base/unique_handle.h"

namespace lumavex {

// Posted to the demo window, it makes the window's thread sleep in its window
// procedure for wParam milliseconds: a program that stops answering, as the
// system sees one (after 5 s it is "hung").
inline constexpr UINT kDemoHangMessage = WM_APP + 7;

// Runs the calling thread's message loop until `done` is true or the time is
// up; returns the last value of `done`.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 10000);

struct ProcessHandleTraits {
  using type = HANDLE;
  static HANDLE invalid() { return nullptr; }
  static void close(HANDLE h) { ::CloseHandle(h); }
};

// democonv.exe (beside the running program) in a process of its own, ended
// with the object.
class DemoWindow {
 public:
  // Starts democonv.exe with these arguments (UTF-8, any script) and waits
  // (up to 10 s each) until its visible window titled `title` exists and, with `waitForPaint`,
  // has painted the first sample colour. hwnd() is null when no such window
  // appeared.
  DemoWindow(const std::string& args, const std::string& title, bool waitForPaint = true);
  ~DemoWindow() { Close(); }
  DemoWindow(const DemoWindow&) = delete;
  DemoWindow& operator=(const DemoWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool ok() const { return hwnd_ != nullptr; }
  // Ends the process and waits for it.
  void Close();
  // Stops the window's thread, as a debugger or a stopped process does (it
  // was waiting for messages, so the system does not call it hung), and
  // lets it run again. True when the system did it.
  bool Suspend();
  bool Resume();
  // Makes the window's thread sleep in its window procedure for `ms`, from
  // when it reads this request.
  void HangFor(DWORD ms) const;

 private:
  UniqueHandle<ProcessHandleTraits> process_;
  UniqueHandle<ProcessHandleTraits> thread_;
  HWND hwnd_ = nullptr;
};

}  // namespace lumavex
