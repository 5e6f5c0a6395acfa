#include "picture_source.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <random>

namespace lumavex::jpegbench {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads the next header number, skipping white space and # comments.
bool readHeaderNumber(std::FILE* f, int& value) {
  int c = std::fgetc(f);
  while (c == '#' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
    if (c == '#') {
      while (c != '\n' && c != EOF) c = std::fgetc(f);
    }
    c = std::fgetc(f);
  }
  if (c < '0' || c > '9') return false;
  value = 0;
  while (c >= '0' && c <= '9') {
    if (value > 100000) return false;
    value = value * 10 + (c - '0');
    c = std::fgetc(f);
  }
  return true;  // the single white-space byte after the number is consumed
}

void allocate(DibPixels& pixels, int width, int height) {
  pixels.width = width;
  pixels.height = height;
  pixels.stride = (3 * width + 3) & ~3;
  pixels.bytes.assign(static_cast<std::size_t>(pixels.stride) * height, 0);
}

std::uint8_t* pixelAt(DibPixels& pixels, int x, int y) {
  const int row = pixels.height - 1 - y;  // bottom-up
  return &pixels.bytes[static_cast<std::size_t>(row) * pixels.stride + 3 * x];
}

}  // namespace

bool loadPpm(const std::string& path, DibPixels& out, std::string& error) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    error = "cannot open " + path;
    return false;
  }
  char magic[2] = {};
  int width = 0, height = 0, maxValue = 0;
  if (std::fread(magic, 1, 2, file.get()) != 2 || magic[0] != 'P' || magic[1] != '6' ||
      !readHeaderNumber(file.get(), width) || !readHeaderNumber(file.get(), height) ||
      !readHeaderNumber(file.get(), maxValue) || maxValue != 255 || width < 1 || height < 1) {
    error = path + " is not an 8-bit binary PPM";
    return false;
  }
  allocate(out, width, height);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    if (std::fread(row.data(), 1, row.size(), file.get()) != row.size()) {
      error = path + " is truncated";
      return false;
    }
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = pixelAt(out, x, y);
      p[0] = row[3 * x + 2];
      p[1] = row[3 * x + 1];
      p[2] = row[3 * x];
    }
  }
  out.origin = path;
  return true;
}

DibPixels syntheticScene(int width, int height) {
  DibPixels pixels;
  allocate(pixels, width, height);
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> noise(-6, 6);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / width, v = static_cast<double>(y) / height;
      double r = 120 + 80 * std::sin(6 * u + 2 * v), g = 100 + 90 * v, b = 90 + 70 * std::cos(9 * u * v);
      if (((x / 37) + (y / 29)) % 5 == 0) r = 240 - r;  // hard-edged patches
      const auto clamp = [](double c) { return static_cast<std::uint8_t>(c < 0 ? 0 : c > 255 ? 255 : c); };
      std::uint8_t* p = pixelAt(pixels, x, y);
      p[0] = clamp(b + noise(random));
      p[1] = clamp(g + noise(random));
      p[2] = clamp(r + noise(random));
    }
  }
  pixels.origin = "synthetic scene";
  return pixels;
}

DibPixels flatBlocksPane(int width, int height) {
  DibPixels pixels;
  allocate(pixels, width, height);
  struct Colour {
    std::uint8_t r, g, b;
  };
  const Colour bands[4] = {{30, 150, 90}, {40, 120, 170}, {170, 120, 40}, {120, 40, 150}};
  const Colour tiles[3] = {{220, 60, 60}, {240, 230, 80}, {20, 20, 20}};
  const int discX = width / 2, discY = height / 2, discR = std::max(2, height / 10);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Colour c = bands[std::min(3, 4 * y / height)];
      // Rectangles whose edges fall off the 8x8 grid, every other cell.
      const int cellX = x / 27, cellY = y / 19;
      if ((cellX + cellY) % 2 == 1 && x % 27 >= 5 && y % 19 >= 4) c = tiles[(cellX + 2 * cellY) % 3];
      if ((x - discX) * (x - discX) + (y - discY) * (y - discY) <= discR * discR) c = {250, 250, 250};
      std::uint8_t* p = pixelAt(pixels, x, y);
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
    }
  }
  pixels.origin = "flat-blocks pane";
  return pixels;
}

bool savePpm(const DibPixels& pixels, const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
  if (!file) return false;
  std::fprintf(file.get(), "P6\n%d %d\n255\n", pixels.width, pixels.height);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(pixels.width) * 3);
  for (int y = 0; y < pixels.height; ++y) {
    const std::uint8_t* p = &pixels.bytes[static_cast<std::size_t>(pixels.height - 1 - y) * pixels.stride];
    for (int x = 0; x < pixels.width; ++x) {
      row[3 * x] = p[3 * x + 2];
      row[3 * x + 1] = p[3 * x + 1];
      row[3 * x + 2] = p[3 * x];
    }
    if (std::fwrite(row.data(), 1, row.size(), file.get()) != row.size()) return false;
  }
  return std::fclose(file.release()) == 0;
}

}  // namespace lumavex::jpegbench
