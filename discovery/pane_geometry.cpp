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

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// A stretch that cannot be one (zero or negative) counts as none.
WindowStretch Valid(WindowStretch s) { return s.num > 0 && s.den > 0 ? s : WindowStretch{}; }

// A length of the program's pixels in screen pixels, to the nearest.
std::int64_t Scaled(std::int64_t length, WindowStretch s) {
  return FloorDiv(2 * length * s.num + s.den, 2 * std::int64_t{s.den});
}

// The screen pixel under the middle of the program's pixel `offset` pixels
// right of (or below) the edge at `edge`.
std::int64_t MiddleOfPixel(std::int64_t edge, std::int64_t offset, WindowStretch s) {
  return edge + FloorDiv((2 * offset + 1) * s.num, 2 * std::int64_t{s.den});
}

}  // namespace

PaneRect WebcamPaneRect(const ScreenRect& window, const FrameMetrics& metrics) {
  return StretchedPaneRect(window, metrics, WindowStretch{});
}

ScreenPoint FirstSamplePoint(const ScreenRect& window, const FrameMetrics& metrics) {
  return StretchedFirstSamplePoint(window, metrics, WindowStretch{});
}

ScreenPoint SecondSamplePoint(const ScreenRect& window, const FrameMetrics& metrics) {
  return StretchedSecondSamplePoint(window, metrics, WindowStretch{});
}

PaneRect StretchedPaneRect(const ScreenRect& window, const FrameMetrics& metrics, WindowStretch stretch) {
  const WindowStretch s = Valid(stretch);
  return PaneRect{Saturate(window.right - Scaled(186 + HorizontalFrame(metrics), s)),
                  Saturate(window.top + Scaled(68 + VerticalChrome(metrics), s)),
                  Saturate(Scaled(kPaneWidth, s)), Saturate(Scaled(kPaneHeight, s))};
}

ScreenPoint StretchedFirstSamplePoint(const ScreenRect& window, const FrameMetrics& metrics,
                                      WindowStretch stretch) {
  const WindowStretch s = Valid(stretch);
  return ScreenPoint{Saturate(MiddleOfPixel(window.right, -24, s)),
                     Saturate(MiddleOfPixel(window.top, 87 + VerticalChrome(metrics), s))};
}

ScreenPoint StretchedSecondSamplePoint(const ScreenRect& window, const FrameMetrics& metrics,
                                       WindowStretch stretch) {
  const WindowStretch s = Valid(stretch);
  return ScreenPoint{Saturate(MiddleOfPixel(window.right, -35 - HorizontalFrame(metrics), s)),
                     Saturate(MiddleOfPixel(window.top, 201 + VerticalChrome(metrics), s))};
}

}  // namespace lumavex
