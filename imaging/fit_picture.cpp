#include "imaging/fit_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace lumavex {
namespace {

// The source pixels that make one output pixel, and their weights (adding up to 1).
struct Taps {
  std::vector<int> first;      // per output pixel: first source pixel
  std::vector<int> count;      // per output pixel: how many source pixels
  std::vector<float> weights;  // per output pixel: `count` weights, packed
  std::vector<int> offset;     // per output pixel: where its weights start
};

Taps MakeTaps(int in, int out) {
  Taps taps;
  const double scale = static_cast<double>(in) / out;
  const double support = std::max(1.0, scale);
  for (int o = 0; o < out; ++o) {
    const double centre = (o + 0.5) * scale;
    const int lo = std::max(0, static_cast<int>(std::floor(centre - support)));
    const int hi = std::min(in, static_cast<int>(std::ceil(centre + support)));
    taps.first.push_back(lo);
    taps.offset.push_back(static_cast<int>(taps.weights.size()));
    double sum = 0;
    std::vector<double> w;
    for (int i = lo; i < hi; ++i) {
      const double d = std::fabs((i + 0.5 - centre) / support);
      w.push_back(d < 1 ? 1 - d : 0);
      sum += w.back();
    }
    if (sum <= 0) {  // cannot happen for in >= 1, but never divide by zero
      w.assign(w.size(), 0);
      if (!w.empty()) w[0] = sum = 1;
    }
    for (double v : w) taps.weights.push_back(static_cast<float>(v / sum));
    taps.count.push_back(hi - lo);
  }
  return taps;
}

void CheckPicture(const std::uint8_t* bits, std::size_t stride, int width, int height, const char* what) {
  if (!bits || width < 1 || height < 1 || stride < static_cast<std::size_t>(width) * 3)
    throw std::invalid_argument(std::string(what) + " has no pixels or a stride too short for its rows");
}

}  // namespace

FitArea FitInside(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight) {
  FitArea area;
  if (sourceWidth < 1 || sourceHeight < 1 || frameWidth < 1 || frameHeight < 1) return area;
  const std::int64_t sw = sourceWidth, sh = sourceHeight, fw = frameWidth, fh = frameHeight;
  if (sw * fh >= sh * fw) {
    // Relatively wider than the frame: full width, bars above and below.
    area.width = frameWidth;
    area.height = static_cast<int>(std::clamp<std::int64_t>((2 * sh * fw + sw) / (2 * sw), 1, fh));
  } else {
    area.height = frameHeight;
    area.width = static_cast<int>(std::clamp<std::int64_t>((2 * sw * fh + sh) / (2 * sh), 1, fw));
  }
  area.x = (frameWidth - area.width) / 2;
  area.y = (frameHeight - area.height) / 2;
  return area;
}

void FitPicture24(const Bgr24Source& source, const Bgr24Target& target, bool bottomUp) {
  CheckPicture(source.bits, source.stride, source.width, source.height, "source");
  CheckPicture(target.bits, target.stride, target.width, target.height, "target");
  FitArea area = FitInside(source.width, source.height, target.width, target.height);
  if (bottomUp) area.y = target.height - area.height - area.y;

  // Across first, into floats, one row per source row; then down.
  const Taps across = MakeTaps(source.width, area.width);
  const Taps down = MakeTaps(source.height, area.height);
  const std::size_t wideRow = static_cast<std::size_t>(area.width) * 3;
  std::vector<float> wide(wideRow * source.height);
  for (int y = 0; y < source.height; ++y) {
    const std::uint8_t* in = source.bits + y * source.stride;
    float* out = &wide[y * wideRow];
    for (int x = 0; x < area.width; ++x) {
      const float* w = &across.weights[across.offset[x]];
      const std::uint8_t* p = in + across.first[x] * 3;
      float b = 0, g = 0, r = 0;
      for (int k = 0; k < across.count[x]; ++k, p += 3) {
        b += w[k] * p[0];
        g += w[k] * p[1];
        r += w[k] * p[2];
      }
      out[x * 3] = b;
      out[x * 3 + 1] = g;
      out[x * 3 + 2] = r;
    }
  }

  for (int y = 0; y < target.height; ++y) std::memset(target.bits + y * target.stride, 0, target.stride);
  std::vector<float> sum(wideRow);
  for (int y = 0; y < area.height; ++y) {
    std::fill(sum.begin(), sum.end(), 0.0f);
    const float* w = &down.weights[down.offset[y]];
    for (int k = 0; k < down.count[y]; ++k) {
      const float* row = &wide[(down.first[y] + k) * wideRow];
      for (std::size_t i = 0; i < wideRow; ++i) sum[i] += w[k] * row[i];
    }
    std::uint8_t* out = target.bits + (area.y + y) * target.stride + area.x * 3;
    for (std::size_t i = 0; i < wideRow; ++i)
      out[i] = static_cast<std::uint8_t>(std::clamp(std::lround(sum[i]), 0L, 255L));
  }
}

bool FitImage(const Image& source, int width, int height, Image& fitted) {
  if (source.empty() || &source == &fitted || Image::StrideFor(width) == 0 || height <= 0) return false;
  Image out;
  out.swap(fitted);  // its memory is reused, and it stays as it was on failure
  if (!out.Resize(width, height)) {
    out.swap(fitted);
    return false;
  }
  FitPicture24(source.Source(), out.Target(), /*bottomUp=*/true);
  out.swap(fitted);
  return true;
}

}  // namespace lumavex
