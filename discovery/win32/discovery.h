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

// The screen's bits per pixel (planes x bits per plane).
short GetColorDepth();

// Makes a window topmost (or not) without moving or sizing it.
void SetWindowTopmost(HWND window, bool topmost);

// Where each sample is also written as a file. Tests point it elsewhere (for
// instance at a folder that does not exist) to show that the result does not
// depend on the file.
void SetSampleFilePath(const std::string& path);

}  // namespace lumavex
