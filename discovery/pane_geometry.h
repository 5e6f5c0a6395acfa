#pragma once
// Where the messenger draws its webcam pane inside a conversation window.
// Discovery samples two pixels of it and recording copies the whole pane, so
// both go through these functions and can never disagree about the place.
//
// All results are computed in 64-bit and saturated to the 32-bit range: a
// rectangle or metric near INT_MIN/INT_MAX gives the nearest representable
// coordinate instead of wrapping round to the far side of the screen.

namespace lumavex {

struct ScreenRect {
  int left, top, right, bottom;
};

// The six system metrics, in the order they are read on every use.
struct FrameMetrics {
  int cxBorder, cxDlgFrame, cyCaption, cyBorder, cyDlgFrame, cyMenu;
};

// GetSystemMetrics indices, so the Win32 side needs no extra table.
inline constexpr int kSmCxBorder = 5;
inline constexpr int kSmCxDlgFrame = 7;
inline constexpr int kSmCyCaption = 4;
inline constexpr int kSmCyBorder = 6;
inline constexpr int kSmCyDlgFrame = 8;
inline constexpr int kSmCyMenu = 15;

inline constexpr int kPaneWidth = 163;
inline constexpr int kPaneHeight = 123;

// Reads the metrics through getMetric(index) in the fixed order
// cxBorder, cxDlgFrame, cyCaption, cyBorder, cyDlgFrame, cyMenu
// (braced initialisation evaluates left to right).
template <typename GetMetric>
FrameMetrics ReadFrameMetrics(GetMetric&& getMetric) {
  return FrameMetrics{getMetric(kSmCxBorder), getMetric(kSmCxDlgFrame), getMetric(kSmCyCaption),
                      getMetric(kSmCyBorder), getMetric(kSmCyDlgFrame), getMetric(kSmCyMenu)};
}

struct PaneRect {
  int left, top, width, height;
};

struct ScreenPoint {
  int x, y;
};

// The pane hangs from the window's top and right edges; left and bottom are
// not used.
PaneRect WebcamPaneRect(const ScreenRect& window, const FrameMetrics& metrics);

// The two single pixels that discovery compares with the pane's colours.
ScreenPoint FirstSamplePoint(const ScreenRect& window, const FrameMetrics& metrics);
ScreenPoint SecondSamplePoint(const ScreenRect& window, const FrameMetrics& metrics);

// How much larger the system draws a window on the screen than its program
// laid it out: screen pixels per pixel of the program, num / den. A program
// unaware of DPI on a monitor at 150% is drawn stretched by 144 / 96.
struct WindowStretch {
  int num = 1;
  int den = 1;
};

// The pane and the sample points of a window the system stretches. `window`
// is in screen pixels; `metrics` are the frame metrics as the window's own
// program reads them (at its DPI). Offsets and the pane's size are scaled;
// a sample point is the screen pixel under the middle of the program's
// pixel. A stretch of 1 gives exactly the functions above.
PaneRect StretchedPaneRect(const ScreenRect& window, const FrameMetrics& metrics, WindowStretch stretch);
ScreenPoint StretchedFirstSamplePoint(const ScreenRect& window, const FrameMetrics& metrics,
                                      WindowStretch stretch);
ScreenPoint StretchedSecondSamplePoint(const ScreenRect& window, const FrameMetrics& metrics,
                                       WindowStretch stretch);

}  // namespace lumavex
