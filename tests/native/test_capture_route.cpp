// The choice between the screen copy and the window's own picture, and the
// gaps a recording logs when neither gives the pane.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/flat_picture.h"
#include "recording/capture_gaps.h"
#include "recording/capture_route.h"

namespace lumavex {
namespace {

constexpr ScreenRect kLeftMonitor{0, 0, 1920, 1080};
constexpr ScreenRect kRightMonitor{1920, 0, 3200, 1024};  // lower, so a strip below it is off
constexpr PaneRect kPane{1000, 500, 163, 123};

RouteChoice Choose(const PaneRect& pane, std::vector<ScreenRect> above = {},
                   std::vector<ScreenRect> monitors = {kLeftMonitor, kRightMonitor}) {
  return ChooseCaptureRoute(pane, PaneSurroundings{monitors, above});
}

TEST(CaptureRoute, AFullyVisiblePaneIsCopiedFromTheScreen) {
  EXPECT_EQ(Choose(kPane).route, CaptureRoute::Screen);
  // Windows above that only touch its edges (right and bottom exclusive).
  EXPECT_EQ(Choose(kPane,
                   {{0, 0, 1000, 1080}, {1163, 0, 1300, 1080}, {1000, 623, 1163, 700}, {900, 0, 1200, 500}})
                .route,
            CaptureRoute::Screen);
  // Across two monitors side by side: all of it is on one or the other.
  EXPECT_EQ(Choose(PaneRect{1850, 600, 163, 123}).route, CaptureRoute::Screen);
}

TEST(CaptureRoute, ACoveredPaneIsTakenFromTheWindow) {
  // One pixel of another window over its last corner is enough.
  const RouteChoice corner = Choose(kPane, {{1162, 622, 1400, 900}});
  EXPECT_EQ(corner.route, CaptureRoute::Window);
  EXPECT_STREQ(corner.why, kPaneCovered);
  // Wholly inside a window above, or one that lies over it entirely.
  EXPECT_EQ(Choose(kPane, {{1050, 550, 1060, 560}}).route, CaptureRoute::Window);
  EXPECT_EQ(Choose(kPane, {{0, 0, 3200, 1080}}).route, CaptureRoute::Window);
  // A window above with no area (a minimised one's rectangle) covers nothing.
  EXPECT_EQ(Choose(kPane, {{1050, 550, 1050, 900}}).route, CaptureRoute::Screen);
}

TEST(CaptureRoute, APanePartlyOrWhollyOffEveryMonitorIsTakenFromTheWindow) {
  const PaneRect partlyLeft{-20, 500, 163, 123};
  const PaneRect belowTheShorterMonitor{2500, 950, 163, 123};  // bottom 1073 > 1024
  const PaneRect inTheGapCorner{1850, 1000, 163, 123};         // right part below the right monitor
  const PaneRect farAway{-32000, -32000, 163, 123};            // where a minimised window is
  for (const PaneRect& pane : {partlyLeft, belowTheShorterMonitor, inTheGapCorner, farAway}) {
    const RouteChoice choice = Choose(pane);
    EXPECT_EQ(choice.route, CaptureRoute::Window) << pane.left << "," << pane.top;
    EXPECT_STREQ(choice.why, kPaneOffScreen);
  }
  // No monitor known: nothing is on the screen.
  EXPECT_EQ(Choose(kPane, {}, {}).route, CaptureRoute::Window);
  // A pane at the far end of the coordinates does not wrap round onto a monitor.
  EXPECT_EQ(Choose(PaneRect{INT32_MAX - 10, 0, 163, 123}, {}, {{0, 0, INT32_MAX, 1080}}).route,
            CaptureRoute::Window);
}

TEST(CaptureRoute, UnionCoverageNeedsEveryPixel) {
  // Four quarters cover the whole; leave one pixel out and it is not.
  const std::vector<ScreenRect> quarters{{0, 0, 50, 50},
                                         {50, 0, 100, 50},
                                         {0, 50, 50, 100},
                                         {50, 50, 100, 100}};
  EXPECT_TRUE(CoveredByUnion({0, 0, 100, 100}, quarters));
  std::vector<ScreenRect> holed = quarters;
  holed[3] = {50, 50, 100, 99};
  EXPECT_FALSE(CoveredByUnion({0, 0, 100, 100}, holed));
  // Overlapping parts and parts reaching far beyond the area.
  EXPECT_TRUE(CoveredByUnion({10, 10, 90, 90}, {{-500, -500, 60, 500}, {40, 0, 600, 600}}));
}

// The lines of a recording whose slots go without frames: each gap once
// as it begins and once as frames come again.
TEST(CaptureGaps, ALockedSessionIsSaidOnceAndEndsWhenItUnlocks) {
  CaptureGaps gaps;
  EXPECT_FALSE(gaps.Session(false));
  const std::optional<GapLine> locked = gaps.Session(true);
  ASSERT_TRUE(locked);
  EXPECT_EQ(locked->event, TimesEvent::Locked);
  EXPECT_EQ(locked->detail, kSessionLockedWhy);
  EXPECT_FALSE(gaps.Session(true));
  EXPECT_FALSE(gaps.ScreenUncopyable()) << "still the same gap";
  const std::optional<GapLine> unlocked = gaps.Session(false);
  ASSERT_TRUE(unlocked);
  EXPECT_EQ(unlocked->event, TimesEvent::Unlocked);
  EXPECT_TRUE(gaps.FrameTaken().empty());
}

TEST(CaptureGaps, AScreenThatCannotBeCopiedEndsOnlyWithAFrame) {
  CaptureGaps gaps;
  const std::optional<GapLine> locked = gaps.ScreenUncopyable();
  ASSERT_TRUE(locked);
  EXPECT_EQ(locked->detail, kScreenUncopyableWhy);
  // The session looks unlocked at every tick, but the copy keeps failing:
  // no unlocked-locked pair per slot.
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_FALSE(gaps.Session(false));
    EXPECT_FALSE(gaps.ScreenUncopyable());
  }
  const std::vector<GapLine> lines = gaps.FrameTaken();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].event, TimesEvent::Unlocked);
  // Once it is the lock itself, unlocking ends it.
  gaps.ScreenUncopyable();
  gaps.Session(true);
  EXPECT_TRUE(gaps.Session(false));
}

TEST(CaptureGaps, AHiddenPaneIsSaidOnceWithItsFirstReasonAndShownWithTheNextFrame) {
  CaptureGaps gaps;
  const std::optional<GapLine> hidden = gaps.NoPicture("the window is minimised");
  ASSERT_TRUE(hidden);
  EXPECT_EQ(hidden->event, TimesEvent::Hidden);
  EXPECT_EQ(hidden->detail, "the window is minimised");
  EXPECT_FALSE(gaps.NoPicture("another reason"));
  // A screen that cannot be copied while hidden: both end with the frame,
  // unlocked first.
  gaps.ScreenUncopyable();
  std::vector<TimesEvent> events;
  for (const GapLine& line : gaps.FrameTaken()) events.push_back(line.event);
  EXPECT_EQ(events, (std::vector<TimesEvent>{TimesEvent::Unlocked, TimesEvent::Shown}));
  EXPECT_TRUE(gaps.FrameTaken().empty());
  EXPECT_TRUE(gaps.NoPicture("again")) << "a new gap after frames came";
  gaps.Clear();
  EXPECT_FALSE(gaps.Hidden());
}

// What a window that draws nothing leaves, against real pictures however dark.
TEST(OneColourPicture, OnlyAnExactSingleColourIsNoPicture) {
  constexpr int w = 163, h = 123;
  constexpr std::size_t stride = 492;  // 489 rounded up to 4
  std::vector<std::uint8_t> pixels(stride * h, 0);
  const Bgr24Source picture{pixels.data(), stride, w, h};
  EXPECT_TRUE(OneColour(picture)) << "the zero fill";
  // Pad bytes are no pixels.
  for (int y = 0; y < h; ++y) pixels[y * stride + stride - 1] = 0x55;
  EXPECT_TRUE(OneColour(picture));
  // A dark picture: one channel of the last pixel one step off black.
  pixels[(h - 1) * stride + (w - 1) * 3 + 2] = 1;
  EXPECT_FALSE(OneColour(picture));
  pixels[(h - 1) * stride + (w - 1) * 3 + 2] = 0;
  pixels[3 * (w - 1)] = 1;  // the first row's last pixel
  EXPECT_FALSE(OneColour(picture));
  // A flat grey fill, as a blank window's background.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w * 3; ++x) pixels[y * stride + x] = 0xF0;
  EXPECT_TRUE(OneColour(picture));
  EXPECT_TRUE(OneColour(Bgr24Source{}));
}

}  // namespace
}  // namespace lumavex
