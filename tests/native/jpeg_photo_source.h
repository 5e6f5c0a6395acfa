#pragma once
// scikit-image's photographs (Debian package python3-skimage, installed by
// tools/install-deps.sh) scaled to any size with ImageMagick's convert, for
// the JPEG tests.
#include <stdio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lumavex::testing {

inline const char* const kPhotoFolder = "/usr/lib/python3/dist-packages/skimage/data/";

struct PipeCloser {
  void operator()(FILE* pipe) const { pclose(pipe); }
};

struct RgbPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // top-down
};

// Reads one PPM header number, skipping white space and # comment lines.
inline bool readHeaderNumber(FILE* f, int& value) {
  int c = fgetc(f);
  while (c == '#' || c == ' ' || c == '\n' || c == '\r' || c == '\t') {
    if (c == '#') {
      while (c != '\n' && c != EOF) c = fgetc(f);
    }
    c = fgetc(f);
  }
  value = 0;
  if (c < '0' || c > '9') return false;
  for (; c >= '0' && c <= '9'; c = fgetc(f)) value = value * 10 + (c - '0');
  return true;  // consumed the single white-space byte after the number
}

// Runs convert to scale the photograph and reads the binary PPM it prints.
inline bool scaledPhoto(const std::string& name, int width, int height, RgbPicture& out) {
  const std::string command = "/usr/bin/convert '" + std::string(kPhotoFolder) + name + "' -resize " +
                              std::to_string(width) + "x" + std::to_string(height) +
                              "! -depth 8 ppm:- 2>/dev/null";
  std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
  if (!pipe) return false;
  int w = 0, h = 0, maxValue = 0;
  if (fgetc(pipe.get()) != 'P' || fgetc(pipe.get()) != '6' || !readHeaderNumber(pipe.get(), w) ||
      !readHeaderNumber(pipe.get(), h) || !readHeaderNumber(pipe.get(), maxValue) || maxValue != 255 ||
      w <= 0 || h <= 0 || w > 4096 || h > 4096) {
    return false;
  }
  out.width = w;
  out.height = h;
  out.rgb.resize(static_cast<std::size_t>(w) * h * 3);
  return fread(out.rgb.data(), 1, out.rgb.size(), pipe.get()) == out.rgb.size();
}

}  // namespace lumavex::testing
