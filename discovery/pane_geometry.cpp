#include "discovery/pane_geometry.h"

#include <cstdint>
#include <limits>

namespace lumavex {
namespace {

int Saturate(std::int64_t value) {
  constexpr std::int64_t lo = std::numeric_limits<int>::min();
  constexpr std::int64_t hi = std::numeric_limits<int>::max();
  return static_cast<int>(value < lo ? lo : (value > hi ? hi : value));
}

// Height of everything above the client area's top edge that the pane and
// the sample points are measured below.
std::int64_t VerticalChrome(const FrameMetrics& m) {
  return std::int64_t{m.cyCaption} + m.cyBorder + m.cyDlgFrame + m.cyMenu;
}

std::int64_t HorizontalFrame(const FrameMetrics& m) { return std::int64_t{m.cxBorder} + m.cxDlgFrame; }

}  // namespace

PaneRect WebcamPaneRect(const ScreenRect& window, const FrameMetrics& metrics) {
  return PaneRect{Saturate(window.right - std::int64_t{186} - HorizontalFrame(metrics)),
                  Saturate(window.top + std::int64_t{68} + VerticalChrome(metrics)), kPaneWidth, kPaneHeight};
}

ScreenPoint FirstSamplePoint(const ScreenRect& window, const FrameMetrics& metrics) {
  return ScreenPoint{Saturate(window.right - std::int64_t{24}),
                     Saturate(window.top + std::int64_t{87} + VerticalChrome(metrics))};
}

ScreenPoint SecondSamplePoint(const ScreenRect& window, const FrameMetrics& metrics) {
  return ScreenPoint{Saturate(window.right - std::int64_t{35} - HorizontalFrame(metrics)),
                     Saturate(window.top + std::int64_t{201} + VerticalChrome(metrics))};
}

}  // namespace lumavex
