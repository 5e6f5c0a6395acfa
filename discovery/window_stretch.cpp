#include "discovery/window_stretch.h"

#include <numeric>

namespace lumavex {

WindowStretch StretchOfWindow(DpiAwareness awareness, int windowDpi, int monitorDpi) {
  if (awareness != DpiAwareness::Unaware && awareness != DpiAwareness::System) return {};
  if (windowDpi <= 0 || monitorDpi <= 0) return {};
  const int common = std::gcd(windowDpi, monitorDpi);
  return WindowStretch{monitorDpi / common, windowDpi / common};
}

}  // namespace lumavex
