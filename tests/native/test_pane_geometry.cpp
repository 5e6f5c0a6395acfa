#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "discovery/pane_geometry.h"

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

}  // namespace
}  // namespace lumavex
