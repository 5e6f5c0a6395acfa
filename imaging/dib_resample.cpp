#include "imaging/dib_resample.h"

#include <cmath>
#include <stdexcept>

namespace lumavex {

// Explicit rather than std::nearbyint, so that a rounding mode changed
// elsewhere in the process cannot change the pixels.
double RoundHalfEven(double v) {
  if (std::fabs(v - std::trunc(v)) == 0.5) return 2.0 * std::round(v / 2.0);
  return std::round(v);
}

namespace {

double Mix(double a, double b, double f) { return RoundHalfEven((1.0 - f) * a + f * b); }

// The scale and the integer and fractional parts of one coordinate. With a
// target of 2^24 or more pixels the float scale can round up far enough for
// the last position to reach the source's last column or row; that position
// is then taken as the far end of the last pair, so xi + 1 stays inside.
struct Axis {
  float scale;
  int last;  // largest index whose successor still exists: source size - 2

  void at(int i, int& whole, double& fraction) const {
    const double pos = static_cast<double>(scale) * i;
    const double floor = std::floor(pos);
    if (floor > last) {
      whole = last;
      fraction = 1.0;
      return;
    }
    whole = static_cast<int>(floor);
    fraction = pos - floor;
  }
};

}  // namespace

void ResampleBilinear24(const Bgr24Source& source, const Bgr24Target& target) {
  if (source.width < 2 || source.height < 2)
    throw std::out_of_range("resampling needs a source of at least 2 x 2 pixels");
  const bool targetHasPixels = target.width > 0 && target.height > 0;
  if (!targetHasPixels) return;
  if (!source.bits || source.stride < 3 * static_cast<std::size_t>(source.width))
    throw std::invalid_argument("resampling source has no pixel memory or a short stride");
  if (!target.bits || target.stride < 3 * static_cast<std::size_t>(target.width))
    throw std::invalid_argument("resampling target has no pixel memory or a short stride");

  const Axis xAxis{static_cast<float>(static_cast<double>(source.width - 1) / target.width),
                   source.width - 2};
  const Axis yAxis{static_cast<float>(static_cast<double>(source.height - 1) / target.height),
                   source.height - 2};

  for (int y = 0; y < target.height; ++y) {
    int yi = 0;
    double fy = 0;
    yAxis.at(y, yi, fy);
    const std::uint8_t* upper = source.bits + static_cast<std::size_t>(yi) * source.stride;
    const std::uint8_t* lower = upper + source.stride;
    std::uint8_t* out = target.bits + static_cast<std::size_t>(y) * target.stride;
    for (int x = 0; x < target.width; ++x) {
      int xi = 0;
      double fx = 0;
      xAxis.at(x, xi, fx);
      const std::size_t left = 3 * static_cast<std::size_t>(xi);
      // Every read of the pixel before any of its stores.
      double a[3], b[3], p[3], q[3];
      for (int c = 0; c < 3; ++c) {
        a[c] = upper[left + c];
        b[c] = upper[left + 3 + c];
        p[c] = lower[left + c];
        q[c] = lower[left + 3 + c];
      }
      for (int c = 0; c < 3; ++c) {
        // Down first, then across, each step rounded.
        double v = Mix(Mix(a[c], p[c], fy), Mix(b[c], q[c], fy), fx);
        v = v < 0 ? 0 : (v > 255 ? 255 : v);
        out[3 * static_cast<std::size_t>(x) + c] = static_cast<std::uint8_t>(v);
      }
    }
  }
}

}  // namespace lumavex
