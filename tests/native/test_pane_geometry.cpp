#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "discovery/pane_geometry.h"
#include "discovery/window_stretch.h"

namespace lumavex {
namespace {

// Typical themed desktop values: border 1, dialog frame 3, caption 26, menu 20.
constexpr FrameMetrics kMetrics{1, 3, 26, 1, 3, 20};
constexpr ScreenRect kWindow{100, 200, 600, 700};

TEST(WebcamPaneRect, HangsFromTopAndRightEdges) {
  const PaneRect pane = WebcamPaneRect(kWindow, kMetrics);
  EXPECT_EQ(pane.left, 600 - 186 - 1 - 3);
  EXPECT_EQ(pane.top, 200 + 68 + 26 + 1 + 3 + 20);
  EXPECT_EQ(pane.width, 163);
  EXPECT_EQ(pane.height, 123);
  // Right edge 23 pixels plus both horizontal frames inside the window.
  EXPECT_EQ(pane.left + pane.width, kWindow.right - 23 - 1 - 3);

  // Left and bottom do not matter.
  const PaneRect moved = WebcamPaneRect(ScreenRect{-5000, 200, 600, 201}, kMetrics);
  EXPECT_EQ(moved.left, pane.left);
  EXPECT_EQ(moved.top, pane.top);
}

TEST(WebcamPaneRect, ClosedWindowGivesTheZeroRectanglePane) {
  // GetWindowRect fails on a closed window and leaves the rectangle at zeros.
  const PaneRect pane = WebcamPaneRect(ScreenRect{0, 0, 0, 0}, kMetrics);
  EXPECT_EQ(pane.left, -186 - 1 - 3);
  EXPECT_EQ(pane.top, 68 + 26 + 1 + 3 + 20);
}

TEST(SamplePoints, FirstIgnoresHorizontalFramesSecondSubtractsThem) {
  const ScreenPoint first = FirstSamplePoint(kWindow, kMetrics);
  EXPECT_EQ(first.x, 600 - 24);
  EXPECT_EQ(first.y, 200 + 87 + 26 + 1 + 3 + 20);
  const ScreenPoint second = SecondSamplePoint(kWindow, kMetrics);
  EXPECT_EQ(second.x, 600 - 35 - 1 - 3);
  EXPECT_EQ(second.y, 200 + 201 + 26 + 1 + 3 + 20);
}

TEST(FrameMetricsReading, FixedOrderAndFields) {
  std::vector<int> asked;
  const FrameMetrics m = ReadFrameMetrics([&](int index) {
    asked.push_back(index);
    return index * 10;
  });
  EXPECT_EQ(asked, (std::vector<int>{5, 7, 4, 6, 8, 15}));
  EXPECT_EQ(m.cxBorder, 50);
  EXPECT_EQ(m.cxDlgFrame, 70);
  EXPECT_EQ(m.cyCaption, 40);
  EXPECT_EQ(m.cyBorder, 60);
  EXPECT_EQ(m.cyDlgFrame, 80);
  EXPECT_EQ(m.cyMenu, 150);
}

TEST(PaneArithmetic, SaturatesOnExtremeInputs) {
  const FrameMetrics huge{INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX, INT_MAX};
  const ScreenRect far{INT_MIN, INT_MAX, INT_MIN, INT_MIN};
  const PaneRect pane = WebcamPaneRect(far, huge);
  EXPECT_EQ(pane.left, INT_MIN);
  EXPECT_EQ(pane.top, INT_MAX);
  EXPECT_EQ(FirstSamplePoint(far, huge).x, INT_MIN);
  EXPECT_EQ(SecondSamplePoint(far, huge).y, INT_MAX);

  const FrameMetrics negative{INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN, INT_MIN};
  const ScreenRect near{0, INT_MIN, INT_MAX, 0};
  EXPECT_EQ(WebcamPaneRect(near, negative).left, INT_MAX);
  EXPECT_EQ(WebcamPaneRect(near, negative).top, INT_MIN);
}

// A window as the system shows it at each scale: the screen pixels of the
// pane and of the two sample points, worked out by hand from the program's
// layout (pane 190 pixels left of the right edge and 118 below the top,
// 163 x 123; samples 24 and 39 left of the right edge, 137 and 251 below the
// top, with kMetrics as the program reads them).
struct ScaleRow {
  int monitorDpi;
  PaneRect pane;  // offsets from the window's right and top edges
  ScreenPoint first, second;
};

ScreenRect WindowAt(int width, int height) { return ScreenRect{1000, 500, 1000 + width, 500 + height}; }

void ExpectGeometry(const ScreenRect& window, const FrameMetrics& metrics, WindowStretch stretch,
                    const ScaleRow& row) {
  const PaneRect pane = StretchedPaneRect(window, metrics, stretch);
  EXPECT_EQ(window.right - pane.left, row.pane.left) << row.monitorDpi;
  EXPECT_EQ(pane.top - window.top, row.pane.top) << row.monitorDpi;
  EXPECT_EQ(pane.width, row.pane.width) << row.monitorDpi;
  EXPECT_EQ(pane.height, row.pane.height) << row.monitorDpi;
  const ScreenPoint first = StretchedFirstSamplePoint(window, metrics, stretch);
  const ScreenPoint second = StretchedSecondSamplePoint(window, metrics, stretch);
  EXPECT_EQ(window.right - first.x, row.first.x) << row.monitorDpi;
  EXPECT_EQ(first.y - window.top, row.first.y) << row.monitorDpi;
  EXPECT_EQ(window.right - second.x, row.second.x) << row.monitorDpi;
  EXPECT_EQ(second.y - window.top, row.second.y) << row.monitorDpi;
}

// A program unaware of DPI is drawn stretched: offsets, size and sample
// points grow with the monitor's scale (halves rounded up for the pane; a
// sample is the screen pixel under the middle of the program's pixel).
TEST(ScaledDisplays, UnawareWindowsAreStretchedAt100To200Percent) {
  const ScaleRow rows[] = {
      {96, {190, 118, 163, 123}, {24, 137}, {39, 251}},   // 100%
      {120, {238, 148, 204, 154}, {30, 171}, {49, 314}},  // 125%: 237.5, 147.5, 203.75, 153.75
      {144, {285, 177, 245, 185}, {36, 206}, {58, 377}},  // 150%
      {192, {380, 236, 326, 246}, {47, 275}, {77, 503}},  // 200%
  };
  for (const ScaleRow& row : rows) {
    const WindowStretch stretch = StretchOfWindow(DpiAwareness::Unaware, 96, row.monitorDpi);
    // The window's rectangle on the screen is stretched too.
    ExpectGeometry(WindowAt(420 * row.monitorDpi / 96, 330 * row.monitorDpi / 96), kMetrics, stretch, row);
  }
}

// A program aware of each monitor's DPI lays itself out in screen pixels:
// nothing is stretched, and only the frame it reads at its DPI moves the
// pane down and left.
TEST(ScaledDisplays, AwareWindowsKeepTheirPixelsAt100To200Percent) {
  struct AwareRow {
    FrameMetrics metrics;  // as read at that DPI
    ScaleRow row;
  };
  const AwareRow rows[] = {
      {{1, 3, 26, 1, 3, 20}, {96, {190, 118, 163, 123}, {24, 137}, {39, 251}}},
      {{1, 4, 32, 1, 4, 25}, {120, {191, 130, 163, 123}, {24, 149}, {40, 263}}},
      {{1, 4, 38, 1, 4, 29}, {144, {191, 140, 163, 123}, {24, 159}, {40, 273}}},
      {{2, 6, 50, 2, 6, 39}, {192, {194, 165, 163, 123}, {24, 184}, {43, 298}}},
  };
  for (const AwareRow& aware : rows) {
    const int dpi = aware.row.monitorDpi;
    const WindowStretch stretch = StretchOfWindow(DpiAwareness::PerMonitor, dpi, dpi);
    ExpectGeometry(WindowAt(420 * dpi / 96, 330 * dpi / 96), aware.metrics, stretch, aware.row);
  }
}

TEST(ScaledDisplays, OnlyWindowsLaidOutAtAnotherDpiAreStretched) {
  auto ratio = [](WindowStretch s) { return static_cast<double>(s.num) / s.den; };
  // A system-aware program laid out at 120 DPI, on a monitor at 192.
  EXPECT_DOUBLE_EQ(ratio(StretchOfWindow(DpiAwareness::System, 120, 192)), 1.6);
  EXPECT_DOUBLE_EQ(ratio(StretchOfWindow(DpiAwareness::System, 144, 96)), 96.0 / 144);
  // Per-monitor aware, even a moment before it has followed a move; a system
  // that cannot tell (Windows 7), or DPIs not known.
  EXPECT_DOUBLE_EQ(ratio(StretchOfWindow(DpiAwareness::PerMonitor, 96, 144)), 1.0);
  EXPECT_DOUBLE_EQ(ratio(StretchOfWindow(DpiAwareness::Unknown, 96, 144)), 1.0);
  EXPECT_DOUBLE_EQ(ratio(StretchOfWindow(DpiAwareness::Unaware, 0, 144)), 1.0);
  EXPECT_DOUBLE_EQ(ratio(StretchOfWindow(DpiAwareness::Unaware, 96, 0)), 1.0);
  // A stretch that cannot be one leaves the geometry of a stretch of 1.
  EXPECT_EQ(StretchedPaneRect(kWindow, kMetrics, WindowStretch{0, 0}).width, 163);
  EXPECT_EQ(StretchedFirstSamplePoint(kWindow, kMetrics, WindowStretch{-3, 2}).x, 600 - 24);
}

}  // namespace
}  // namespace lumavex
