#include "discovery/win32/window_geometry.h"

#include "discovery/win32/system_frame_metrics.h"
#include "platform/kernel.h"

namespace lumavex {
namespace {

// DPI_AWARENESS values and MONITOR_DPI_TYPE's effective DPI, which the
// headers for Windows 7 do not declare.
constexpr int kAwarenessUnaware = 0;
constexpr int kAwarenessSystem = 1;
constexpr int kAwarenessPerMonitor = 2;
constexpr int kEffectiveDpi = 0;

// The functions of Windows 10 (user32) and 8.1 (shcore), found once.
struct DpiFunctions {
  using WindowContext = HANDLE(WINAPI*)(HWND);
  using AwarenessOf = int(WINAPI*)(HANDLE);
  using DpiForWindow = UINT(WINAPI*)(HWND);
  using MetricsForDpi = int(WINAPI*)(int, UINT);
  using DpiForMonitor = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);

  WindowContext windowContext = nullptr;
  AwarenessOf awarenessOf = nullptr;
  DpiForWindow dpiForWindow = nullptr;
  MetricsForDpi metricsForDpi = nullptr;
  DpiForMonitor dpiForMonitor = nullptr;
  UniqueModule shcore;

  DpiFunctions() {
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    windowContext = Find<WindowContext>(user32, "GetWindowDpiAwarenessContext");
    awarenessOf = Find<AwarenessOf>(user32, "GetAwarenessFromDpiAwarenessContext");
    dpiForWindow = Find<DpiForWindow>(user32, "GetDpiForWindow");
    metricsForDpi = Find<MetricsForDpi>(user32, "GetSystemMetricsForDpi");
    shcore.reset(::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    dpiForMonitor = Find<DpiForMonitor>(shcore.get(), "GetDpiForMonitor");
  }
  template <typename F>
  static F Find(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
  }
  bool Complete() const { return windowContext && awarenessOf && dpiForWindow && dpiForMonitor; }
};

const DpiFunctions& Dpi() {
  static const DpiFunctions functions;
  return functions;
}

DpiAwareness AwarenessOfWindow(const DpiFunctions& f, HWND window) {
  switch (f.awarenessOf(f.windowContext(window))) {
    case kAwarenessUnaware:
      return DpiAwareness::Unaware;
    case kAwarenessSystem:
      return DpiAwareness::System;
    case kAwarenessPerMonitor:
      return DpiAwareness::PerMonitor;
    default:
      return DpiAwareness::Unknown;
  }
}

int MonitorDpiOf(const DpiFunctions& f, HWND window) {
  UINT x = 0, y = 0;
  const HMONITOR monitor = ::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  return SUCCEEDED(f.dpiForMonitor(monitor, kEffectiveDpi, &x, &y)) ? static_cast<int>(x) : 0;
}

// What the system said of a window's scale, kept briefly: under Wine the
// four questions cost about half a millisecond, at every tick. A window that
// moves (and so may change monitors) is asked again at once; a change of the
// display's scale is seen within kStretchKeptMs.
struct KnownStretch {
  HWND window = nullptr;
  RECT rect{};
  ULONGLONG askedAt = 0;
  int windowDpi = 0;
  WindowStretch stretch;
};
constexpr ULONGLONG kStretchKeptMs = 2000;

const KnownStretch& StretchOf(const DpiFunctions& f, HWND window, const RECT& rect) {
  thread_local KnownStretch known;
  const ULONGLONG now = ::GetTickCount64();
  if (known.window == window && ::EqualRect(&known.rect, &rect) && now - known.askedAt < kStretchKeptMs)
    return known;
  known.window = window;
  known.rect = rect;
  known.askedAt = now;
  known.windowDpi = static_cast<int>(f.dpiForWindow(window));
  known.stretch = StretchOfWindow(AwarenessOfWindow(f, window), known.windowDpi, MonitorDpiOf(f, window));
  return known;
}

}  // namespace

int WindowDpi(HWND window) {
  const DpiFunctions& f = Dpi();
  return f.dpiForWindow && window ? static_cast<int>(f.dpiForWindow(window)) : 0;
}

WindowGeometry GeometryOfWindow(HWND window, const RECT& rect) {
  const DpiFunctions& f = Dpi();
  FrameMetrics metrics = SystemFrameMetrics();
  WindowGeometry geometry;
  if (window && f.Complete()) {
    const KnownStretch& known = StretchOf(f, window, rect);
    const int windowDpi = known.windowDpi;
    geometry.stretch = known.stretch;
    // The frame as the window's program reads its metrics.
    if (f.metricsForDpi && windowDpi > 0)
      metrics =
          ReadFrameMetrics([&](int index) { return f.metricsForDpi(index, static_cast<UINT>(windowDpi)); });
  }
  const ScreenRect r{rect.left, rect.top, rect.right, rect.bottom};
  geometry.pane = StretchedPaneRect(r, metrics, geometry.stretch);
  geometry.first = StretchedFirstSamplePoint(r, metrics, geometry.stretch);
  geometry.second = StretchedSecondSamplePoint(r, metrics, geometry.stretch);
  return geometry;
}

}  // namespace lumavex
