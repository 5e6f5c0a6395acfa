#include "tools/democonv/demo_process.h"

#include <chrono>
#include <cstdlib>

#include "discovery/fingerprints.h"
#include "discovery/pane_geometry.h"
#include "discovery/win32/system_frame_metrics.h"
#include "platform/foreign_window.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

struct FindByTitle {
  DWORD pid;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM lparam) {
  auto* f = reinterpret_cast<FindByTitle*>(lparam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  // Read without a message: another demo window may be stopped.
  if (pid == f->pid && ::IsWindowVisible(hwnd) && *f->title == WindowTitle(hwnd)) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Where the window's first sample lies on the screen; false when it is not
// on it.
bool FirstSampleOf(HWND hwnd, ScreenPoint& point) {
  RECT r{};
  if (!::GetWindowRect(hwnd, &r) || ::IsIconic(hwnd)) return false;
  point = FirstSamplePoint(ScreenRect{r.left, r.top, r.right, r.bottom}, SystemFrameMetrics());
  return true;
}

bool ScreenShowsFirstSample(const ScreenPoint& p) {
  WindowDc screen(nullptr);
  const COLORREF c = ::GetPixel(screen.get(), p.x, p.y);
  const Rgb want = kFirstSampleColour;
  // 16-bit screens give the colour back at lower precision.
  return std::abs(GetRValue(c) - want.r) <= 8 && std::abs(GetGValue(c) - want.g) <= 8 &&
         std::abs(GetBValue(c) - want.b) <= 8;
}

// The demo paints its sample patches and its pane in one BitBlt, so the first
// sample on the screen means the pane is there too.
bool SamplesPainted(HWND hwnd) {
  ScreenPoint p{};
  return FirstSampleOf(hwnd, p) && ScreenShowsFirstSample(p);
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

DemoWindow::DemoWindow(const std::string& args, const std::string& title, bool waitForPaint) {
  // Wide all the way, so a title in any script reaches the demo whole.
  std::wstring command = Widen("\"" + ExecutableFolder() + "\\democonv.exe\" " + args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION started{};
  if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &started))
    return;
  process_.reset(started.hProcess);
  thread_.reset(started.hThread);
  ::WaitForInputIdle(process_.get(), 10000);
  FindByTitle f{started.dwProcessId, &title, nullptr};
  PumpUntil([&] {
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    return f.found != nullptr;
  });
  hwnd_ = f.found;
  if (hwnd_ && waitForPaint) PumpUntil([&] { return SamplesPainted(hwnd_); });
}

bool DemoWindow::Suspend() { return thread_ && ::SuspendThread(thread_.get()) != static_cast<DWORD>(-1); }

bool DemoWindow::Resume() { return thread_ && ::ResumeThread(thread_.get()) != static_cast<DWORD>(-1); }

void DemoWindow::HangFor(DWORD ms) const {
  if (hwnd_) ::PostMessageW(hwnd_, kDemoHangMessage, ms, 0);
}

void DemoWindow::Close() {
  thread_.reset();
  ScreenPoint sample{};
  const bool shown = hwnd_ && SamplesPainted(hwnd_) && FirstSampleOf(hwnd_, sample);
  if (process_) {
    ::TerminateProcess(process_.get(), 0);
    ::WaitForSingleObject(process_.get(), 10000);
    process_.reset();
  }
  // The process is gone before the display has taken its window away: a
  // demo opened next at the same place must not pass for painted on what
  // is left of this one (a short wait; another window there may show the
  // same colour for good).
  if (shown) PumpUntil([&] { return !ScreenShowsFirstSample(sample); }, 1000);
  hwnd_ = nullptr;
}

}  // namespace lumavex
