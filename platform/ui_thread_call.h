#pragma once
// Work handed to a user-interface thread from another thread: a long task
// on a worker thread shows its progress and asks its questions in windows
// that belong to the UI thread, and tells it when it has ended. The object
// is made on the UI thread (it owns a message-only window there).
#include <windows.h>

#include <functional>

#include "platform/kernel.h"

namespace lumavex {

class UiThreadCall {
 public:
  UiThreadCall();
  ~UiThreadCall();
  UiThreadCall(const UiThreadCall&) = delete;
  UiThreadCall& operator=(const UiThreadCall&) = delete;

  // Runs `work` on the UI thread and returns when it has run (at once when
  // called on the UI thread). The UI thread runs it from its message loop,
  // also inside a modal loop (a message box, a dialog).
  void Run(const std::function<void()>& work) const;
  // Runs `notice` on the UI thread later, without waiting for it. A notice
  // still pending when the object goes is dropped.
  void Post(std::function<void()> notice) const;

  // False when the object could not make its window: work handed to it from
  // another thread would then never reach the UI thread.
  bool ready() const { return window_.valid(); }

  // Waits on the UI thread for `handle` to be signalled while still running
  // the work other threads hand to it, so that a worker that waits for the
  // UI thread can finish.
  void WaitFor(HANDLE handle) const;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

  UniqueWindow window_;
  DWORD thread_ = 0;
};

}  // namespace lumavex
