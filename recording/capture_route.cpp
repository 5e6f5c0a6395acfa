#include "recording/capture_route.h"

#include <algorithm>
#include <cstdint>

namespace lumavex {
namespace {

bool Empty(const ScreenRect& r) { return r.left >= r.right || r.top >= r.bottom; }

bool Overlap(const ScreenRect& a, const ScreenRect& b) {
  return !Empty(a) && !Empty(b) && a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

bool Contains(const ScreenRect& r, int x, int y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

// The edges of the parts that fall inside [from, to), with both ends.
std::vector<int> Cuts(int from, int to, const std::vector<ScreenRect>& parts, int ScreenRect::*low,
                      int ScreenRect::*high) {
  std::vector<int> cuts{from, to};
  for (const ScreenRect& p : parts)
    for (int edge : {p.*low, p.*high})
      if (edge > from && edge < to) cuts.push_back(edge);
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  return cuts;
}

}  // namespace

// The parts' edges cut the area into cells that each lie wholly inside or
// wholly outside every part: the area is covered when every cell is. A few
// monitors give a handful of cells.
bool CoveredByUnion(const ScreenRect& area, const std::vector<ScreenRect>& parts) {
  if (Empty(area)) return true;
  const std::vector<int> xs = Cuts(area.left, area.right, parts, &ScreenRect::left, &ScreenRect::right);
  const std::vector<int> ys = Cuts(area.top, area.bottom, parts, &ScreenRect::top, &ScreenRect::bottom);
  for (std::size_t i = 0; i + 1 < xs.size(); ++i)
    for (std::size_t j = 0; j + 1 < ys.size(); ++j)
      if (std::none_of(parts.begin(), parts.end(),
                       [&](const ScreenRect& p) { return !Empty(p) && Contains(p, xs[i], ys[j]); }))
        return false;
  return true;
}

RouteChoice ChooseCaptureRoute(const PaneRect& pane, const PaneSurroundings& around) {
  // Computed wide: a far edge past the coordinates' end is on no monitor.
  const std::int64_t right = std::int64_t{pane.left} + pane.width;
  const std::int64_t bottom = std::int64_t{pane.top} + pane.height;
  if (right > INT32_MAX || bottom > INT32_MAX) return {CaptureRoute::Window, kPaneOffScreen};
  const ScreenRect area{pane.left, pane.top, static_cast<int>(right), static_cast<int>(bottom)};
  if (Empty(area) || !CoveredByUnion(area, around.monitors)) return {CaptureRoute::Window, kPaneOffScreen};
  for (const ScreenRect& above : around.windowsAbove)
    if (Overlap(area, above)) return {CaptureRoute::Window, kPaneCovered};
  return {};
}

}  // namespace lumavex
