#include "support/win_test_support.h"

#include <algorithm>
#include <chrono>

#include "app/pane_geometry.h"
#include "discovery/fingerprints.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/kernel.h"

namespace lumavex::test {

MessageRecorder::MessageRecorder() {
  previous_ = SetMessageHandler([this](const std::string& text, MessageIcon icon) {
    messages_.push_back({text, icon});
    if (onShow) onShow(messages_.back());
  });
}

MessageRecorder::~MessageRecorder() { SetMessageHandler(previous_); }

bool PumpUntil(const std::function<bool()>& done, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return done();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

COLORREF ScreenPixel(int x, int y) {
  WindowDc screen(nullptr);
  return ::GetPixel(screen.get(), x, y);
}

namespace {
struct FindByTitle {
  DWORD pid;
  std::string title;
  HWND found;
};
BOOL CALLBACK FindProc(HWND hwnd, LPARAM lparam) {
  auto* f = reinterpret_cast<FindByTitle*>(lparam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  char text[512] = {};
  ::GetWindowTextA(hwnd, text, sizeof text);
  if (pid == f->pid && f->title == text && ::IsWindowVisible(hwnd)) {
    f->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

bool SamplesPainted(HWND hwnd) {
  RECT r{};
  if (!::GetWindowRect(hwnd, &r) || ::IsIconic(hwnd)) return false;
  const ScreenRect sr{r.left, r.top, r.right, r.bottom};
  const FrameMetrics m = ReadFrameMetrics([](int i) { return ::GetSystemMetrics(i); });
  const ScreenPoint p = FirstSamplePoint(sr, m);
  const COLORREF c = ScreenPixel(p.x, p.y);
  const Rgb want = kFirstSampleColour;
  // 16-bit screens give the colour back at lower precision.
  return std::abs(GetRValue(c) - want.r) <= 8 && std::abs(GetGValue(c) - want.g) <= 8 &&
         std::abs(GetBValue(c) - want.b) <= 8;
}
}  // namespace

DemoWindow::DemoWindow(const std::string& args, const std::string& title, bool waitForPaint) {
  std::string command = "\"" + TestBinFolder() + "\\democonv.exe\" " + args;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &process_)) {
    process_ = {};
    return;
  }
  ::WaitForInputIdle(process_.hProcess, 10000);
  FindByTitle f{process_.dwProcessId, title, nullptr};
  PumpUntil([&] {
    f.found = nullptr;
    ::EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    return f.found != nullptr;
  });
  hwnd_ = f.found;
  if (hwnd_ && waitForPaint) PumpUntil([&] { return SamplesPainted(hwnd_); });
}

void DemoWindow::Close() {
  if (process_.hProcess) {
    ::TerminateProcess(process_.hProcess, 0);
    ::WaitForSingleObject(process_.hProcess, 10000);
    ::CloseHandle(process_.hProcess);
    ::CloseHandle(process_.hThread);
    process_ = {};
  }
  hwnd_ = nullptr;
}

DemoWindow::~DemoWindow() { Close(); }

std::string TestBinFolder() { return ExecutableFolder(); }

TempFolder::TempFolder() {
  char base[MAX_PATH] = {};
  ::GetTempPathA(MAX_PATH, base);
  static int counter = 0;
  for (;;) {
    path_ = std::string(base) + "lumavex_test_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    if (::CreateDirectoryA(path_.c_str(), nullptr)) break;
  }
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA data;
  {
    UniqueFind find(::FindFirstFileA((folder + "\\*").c_str(), &data));
    if (find) {
      do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          RemoveTree(path);
        else
          ::DeleteFileA(path.c_str());
      } while (::FindNextFileA(find.get(), &data));
    }
  }  // the find handle is closed before the folder itself goes
  ::RemoveDirectoryA(folder.c_str());
}

TempFolder::~TempFolder() { RemoveTree(path_); }

std::vector<std::string> FilesIn(const std::string& folder, const std::string& pattern) {
  std::vector<std::string> names = ListFileNames(folder, pattern);
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace lumavex::test
