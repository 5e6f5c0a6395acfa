#pragma once
// Where a frame is taken from. The screen shows the pane as the user sees
// it and costs least, but only while all of the pane is on a monitor and no
// other window lies over any of it; otherwise the frame is the window's own
// picture of itself. Portable: the Win32 side gathers the rectangles
// (recording/win32/pane_surroundings.h).
#include <vector>

#include "discovery/pane_geometry.h"

namespace lumavex {

enum class CaptureRoute {
  Screen,  // the pane is all there to see
  Window,  // covered, or partly or wholly off the screen
};

struct PaneSurroundings {
  std::vector<ScreenRect> monitors;  // every monitor's whole area
  // The visible windows above the recorded one, nearest the top first; each
  // as the user sees it (its drawn frame, not its invisible borders).
  std::vector<ScreenRect> windowsAbove;
};

struct RouteChoice {
  CaptureRoute route = CaptureRoute::Screen;
  // Why not the screen, for times.csv when the window gives no picture
  // either; empty for the screen.
  const char* why = "";
};

inline constexpr const char* kPaneCovered = "the pane is covered by another window";
inline constexpr const char* kPaneOffScreen = "the pane is outside the screen";

RouteChoice ChooseCaptureRoute(const PaneRect& pane, const PaneSurroundings& around);

// True when every pixel of `area` lies within at least one of `parts`
// (rectangles right and bottom exclusive). An empty area is covered.
bool CoveredByUnion(const ScreenRect& area, const std::vector<ScreenRect>& parts);

}  // namespace lumavex
