#include "discovery/win32/discovery.h"

#include <algorithm>
#include <vector>

#include "discovery/fingerprints.h"
#include "discovery/pane_geometry.h"
#include "discovery/win32/window_geometry.h"
#include "imaging/win32/capture.h"
#include "imaging/win32/picture_bmp.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/foreign_window.h"
#include "platform/gdi.h"
#include "platform/picture.h"
#include "platform/picture_view.h"

namespace lumavex {
namespace {

std::string& SampleFilePath() {
  static std::string path = kSampleFilePath;
  return path;
}

// One pixel of the screen as its fingerprint. The 58-byte sample file is still
// written where it can be, but the fingerprint comes from the same bytes in
// memory: the root of drive C is often not writable, and a missing or
// read-only drive must not change which windows are found.
std::string TakeSample(const DiscoveryView& view, ScreenPoint at, bool writeFile) {
  const Picture picture = CaptureWindow(nullptr, at.x, at.y, 1, 1);
  const std::vector<std::uint8_t> file = PictureAsBmpFile(picture.get());
  if (writeFile && !file.empty()) WriteWholeFile(SampleFilePath(), {{file.data(), file.size()}});
  if (view.picture) SetViewPicture(view.picture, picture, Repaint::WithNextPaint);
  if (view.image) SetViewPicture(view.image, picture, Repaint::WithNextPaint);
  return file.empty() ? std::string() : FingerprintOfFile(file);
}

}  // namespace

void SetSampleFilePath(const std::string& path) { SampleFilePath() = path; }

short GetColorDepth() {
  WindowDc screen(nullptr);
  const short planes = static_cast<short>(::GetDeviceCaps(screen.get(), PLANES));
  const short bits = static_cast<short>(::GetDeviceCaps(screen.get(), BITSPIXEL));
  return static_cast<short>(planes * bits);
}

bool ShowsWebcamPane(HWND window, const DiscoveryView* view) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  // At the window's own scale: a stretched window's samples lie further in.
  const WindowGeometry geometry = GeometryOfWindow(window, rect);
  // Only conversation windows need the pair; other windows cost a title read.
  const FingerprintPair stored = FingerprintsForDepth(GetColorDepth());
  const DiscoveryView none;
  const DiscoveryView& shown = view ? *view : none;
  if (TakeSample(shown, geometry.first, view != nullptr) != stored.first || stored.first.empty())
    return false;
  return TakeSample(shown, geometry.second, view != nullptr) == stored.second;
}

namespace {

BOOL CALLBACK CollectProc(HWND window, LPARAM context) {
  reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
  return TRUE;
}

// The top-level windows, front to back, as they stand now.
std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  ::EnumWindows(CollectProc, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

// The most a refresh waits in all for windows to take up their restore and
// z-order: a few stopped programs cost it no more than this.
constexpr ULONGLONG kRefreshFenceBudgetMs = 1000;

}  // namespace

HWND FindWebcamWindowByTitle(const std::string& title) {
  for (HWND window : TopLevelWindows()) {
    if (!::IsWindowVisible(window) || ::IsIconic(window) || WindowTitle(window) != title) continue;
    if (ShowsWebcamPane(window)) return window;
  }
  return nullptr;
}

void RefreshWebcamList(const DiscoveryView& view) {
  // Examining a window of this thread (its z-order) runs its window
  // procedure; a "Refresh List" click arriving from there would empty the
  // list under this refresh, which would go on to list windows a second
  // time. The running refresh gives the full list anyway.
  static bool running = false;
  if (running) return;
  running = true;
  ListClear(view.list);
  struct Candidate {
    HWND window;
    std::string title;
    bool asked;  // a restore or a z-order change was handed to it
  };
  std::vector<Candidate> candidates;
  for (HWND window : TopLevelWindows()) {
    std::string title = WindowTitle(window);
    if (title.find("Conversation") == std::string::npos) continue;
    const bool minimised = ::IsIconic(window) != 0;
    const bool topmost = (::GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (minimised) RestoreWithoutWaiting(window);
    if (!topmost) MakeTopmostWithoutWaiting(window);
    candidates.push_back({window, std::move(title), minimised || !topmost});
  }
  // All requests went out at once; each window is then given a little time
  // to take them up, within one budget for the whole refresh.
  const ULONGLONG fenceEnd = ::GetTickCount64() + kRefreshFenceBudgetMs;
  for (const Candidate& c : candidates) {
    const ULONGLONG now = ::GetTickCount64();
    if (!c.asked || now >= fenceEnd || SystemCallsHung(c.window)) continue;
    TakesMessagesWithin(c.window,
                        static_cast<UINT>(std::min<ULONGLONG>(kForeignWindowFenceMs, fenceEnd - now)));
  }
  for (const Candidate& c : candidates) {
    if (!ShowsWebcamPane(c.window, &view)) continue;
    const int row = ListAdd(view.list, c.title);
    if (row >= 0) ListSetData(view.list, row, reinterpret_cast<LPARAM>(c.window));
  }
  running = false;
}

}  // namespace lumavex
