#pragma once
// Finds the messenger's conversation windows that show a webcam pane and
// lists them in the webcam list, one row per window: the exact title as the
// row's text and the window handle as its item data.
#include <windows.h>

#include <string>

namespace lumavex {

// The controls that discovery fills: the webcam list, and the picture box and
// image control that show the last pixel sample.
struct DiscoveryView {
  HWND list = nullptr;
  HWND picture = nullptr;
  HWND image = nullptr;
};

inline constexpr const char* kSampleFilePath = "c:\\lumavex_pixel.bmp";

// Empties the list, then tests every top-level window.
void RefreshWebcamList(const DiscoveryView& view);

// Tests one window; the enumeration's context is the view. Always goes on.
BOOL CALLBACK FindWebcamWindowsProc(HWND window, LPARAM context);

// The webcam test alone: the window's two sample pixels against the stored
// fingerprints of the screen's depth. With a view, each sample is shown in
// its picture controls and written to the sample file, as the list's
// refresh does; without one, nothing is shown or written.
bool ShowsWebcamPane(HWND window, const DiscoveryView* view = nullptr);

// The first visible top-level window whose title is exactly `title` and
// that passes the webcam test; null when there is none. Each candidate is
// restored first when minimised (its pixels cannot be sampled otherwise)
// and, with `topmost`, made topmost so nothing covers the samples. Hidden
// windows are passed over and left hidden.
HWND FindWebcamWindowByTitle(const std::string& title, bool topmost);

// The screen's bits per pixel (planes x bits per plane).
short GetColorDepth();

// Makes a window topmost (or not) without moving or sizing it.
void SetWindowTopmost(HWND window, bool topmost);

// Where each sample is also written as a file. Tests point it elsewhere (for
// instance at a folder that does not exist) to show that the result does not
// depend on the file.
void SetSampleFilePath(const std::string& path);

}  // namespace lumavex
