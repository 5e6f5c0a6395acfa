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

// Empties the list, then tests every top-level window whose title holds
// "Conversation": each is restored when minimised and made topmost, then its
// pixels are tested. Nothing waits for a window's program: the restore and
// the z-order are handed to its thread, which is given a short time to take
// them up, and a window that does not is tested as the screen shows it.
void RefreshWebcamList(const DiscoveryView& view);

// The webcam test alone: the window's two sample pixels against the stored
// fingerprints of the screen's depth. With a view, each sample is shown in
// its picture controls and written to the sample file, as the list's
// refresh does; without one, nothing is shown or written.
bool ShowsWebcamPane(HWND window, const DiscoveryView* view = nullptr);

// The first visible, non-minimised top-level window whose title is exactly
// `title` and that passes the webcam test as the screen shows it now; null
// when there is none. No window is touched: one that fails keeps its place,
// its minimised state and its z-order (the caller makes the one found
// topmost, if it wants).
HWND FindWebcamWindowByTitle(const std::string& title);

// The screen's bits per pixel (planes x bits per plane).
short GetColorDepth();

// Where each sample is also written as a file. Tests point it elsewhere (for
// instance at a folder that does not exist) to show that the result does not
// depend on the file.
void SetSampleFilePath(const std::string& path);

}  // namespace lumavex
