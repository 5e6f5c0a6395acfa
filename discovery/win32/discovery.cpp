#include "discovery/win32/discovery.h"

#include <vector>

#include "discovery/fingerprints.h"
#include "discovery/pane_geometry.h"
#include "discovery/win32/window_geometry.h"
#include "imaging/win32/capture.h"
#include "imaging/win32/picture_bmp.h"
#include "platform/controls.h"
#include "platform/files.h"
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

void SetWindowTopmost(HWND window, bool topmost) {
  ::SetWindowPos(window, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
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

BOOL CALLBACK FindWebcamWindowsProc(HWND window, LPARAM context) {
  const auto& view = *reinterpret_cast<const DiscoveryView*>(context);
  // The title in whatever script it is written, as UTF-8.
  const std::string text = ControlText(window);
  if (text.find("Conversation") == std::string::npos) return TRUE;

  ::ShowWindow(window, SW_RESTORE);
  SetWindowTopmost(window, true);
  if (!ShowsWebcamPane(window, &view)) return TRUE;

  const int row = ListAdd(view.list, text);
  if (row >= 0) ListSetData(view.list, row, reinterpret_cast<LPARAM>(window));
  return TRUE;
}

namespace {

struct TitleSearch {
  const std::string* title;
  bool topmost;
  HWND found;
};

BOOL CALLBACK FindByTitleProc(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<TitleSearch*>(context);
  if (!::IsWindowVisible(window) || ControlText(window) != *search.title) return TRUE;
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  if (search.topmost) SetWindowTopmost(window, true);
  if (!ShowsWebcamPane(window)) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND FindWebcamWindowByTitle(const std::string& title, bool topmost) {
  TitleSearch search{&title, topmost, nullptr};
  ::EnumWindows(FindByTitleProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void RefreshWebcamList(const DiscoveryView& view) {
  // Examining another process's window lets messages sent to this thread in;
  // a "Refresh List" click arriving then would empty the list under this
  // enumeration, which would go on to list windows a second time. The
  // running refresh gives the full list anyway.
  static bool running = false;
  if (running) return;
  running = true;
  ListClear(view.list);
  ::EnumWindows(FindWebcamWindowsProc, reinterpret_cast<LPARAM>(&view));
  running = false;
}

}  // namespace lumavex
