#include "tickbench/demo_process.h"

#include <chrono>
#include <functional>

#include "app/recording_view.h"
#include "platform/files.h"
#include "platform/gdi.h"

namespace lumavex::bench {
namespace {

struct Search {
  DWORD pid;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK FindProc(HWND hwnd, LPARAM context) {
  auto* s = reinterpret_cast<Search*>(context);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  char text[256] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  if (pid == s->pid && *s->title == text && ::IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// Lets this thread's messages through until `done` holds or 10 s have passed.
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

}  // namespace

DemoProcess::DemoProcess(const std::string& args, const std::string& title, POINT probe, COLORREF paneColour) {
  std::string command = "\"" + ExecutableFolder() + "\\democonv.exe\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) {
    process_ = {};
    return;
  }
  Search search{process_.dwProcessId, &title, nullptr};
  WaitFor([&] {
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&search));
    return search.found != nullptr;
  });
  if (!search.found) return;
  const bool painted = WaitFor([&] {
    const PaneRect pane = CurrentPaneRect(search.found);
    WindowDc screen(nullptr);
    return ::GetPixel(screen.get(), pane.left + probe.x, pane.top + probe.y) == paneColour;
  });
  if (painted) hwnd_ = search.found;
}

DemoProcess::~DemoProcess() {
  if (process_.hProcess) {
    ::TerminateProcess(process_.hProcess, 0);
    ::WaitForSingleObject(process_.hProcess, 10000);
    ::CloseHandle(process_.hProcess);
    ::CloseHandle(process_.hThread);
  }
}

}  // namespace lumavex::bench
