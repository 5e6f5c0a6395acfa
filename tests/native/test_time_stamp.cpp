#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "imaging/time_stamp.h"
#include "recording/timestamp.h"

namespace lumavex {
namespace {

const std::string kLongest = "2026-12-07 16:03:13.9";
constexpr std::size_t kGuard = 32;

// A picture of distinct colours, never pure white or black, with pad bytes
// at the end of each row and guard bytes around the memory.
struct Picture {
  Picture(int w, int h, bool up) : width(w), height(h), bottomUp(up), stride(3 * w + 5) {
    memory.assign(kGuard * 2 + stride * h, 0x5A);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 3; ++c)
          Pixel(x, y)[c] = static_cast<std::uint8_t>(20 + (x * 7 + y * 13 + c) % 200);
      }
    }
    original = memory;
  }
  std::uint8_t* Pixel(int x, int y) {  // top-down coordinates
    const std::size_t row = static_cast<std::size_t>(bottomUp ? height - 1 - y : y);
    return memory.data() + kGuard + row * stride + static_cast<std::size_t>(x) * 3;
  }
  bool Changed(int x, int y) {
    const std::size_t at = static_cast<std::size_t>(Pixel(x, y) - memory.data());
    return !std::equal(memory.begin() + at, memory.begin() + at + 3, original.begin() + at);
  }
  bool Is(int x, int y, std::uint8_t v) {
    return Pixel(x, y)[0] == v && Pixel(x, y)[1] == v && Pixel(x, y)[2] == v;
  }
  void Draw(const std::string& text) {
    DrawTimeStamp({memory.data() + kGuard, stride, width, height}, bottomUp, text);
  }
  // The positions of the light pixels.
  std::set<std::pair<int, int>> Light() {
    std::set<std::pair<int, int>> light;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        if (Changed(x, y) && Is(x, y, 255)) light.insert({x, y});
      }
    }
    return light;
  }
  // Everything but the pixels of the area (top-down) is as it was.
  void ExpectUntouchedOutside(const StampArea& a) {
    std::vector<std::uint8_t> now = memory;
    for (int y = a.y; y < a.y + a.height; ++y) {
      for (int x = a.x; x < a.x + a.width; ++x) {
        const std::size_t at = static_cast<std::size_t>(Pixel(x, y) - memory.data());
        std::copy(original.begin() + at, original.begin() + at + 3, now.begin() + at);
      }
    }
    EXPECT_EQ(now, original) << width << "x" << height;
  }
  int width, height;
  bool bottomUp;
  std::size_t stride;
  std::vector<std::uint8_t> memory, original;
};

TEST(TimeStampText, DateTimeAndTruncatedTenths) {
  EXPECT_EQ(FormatStampText({2026, 12, 7, 16, 3, 13, 456}, false), "2026-12-07 16:03:13");
  EXPECT_EQ(FormatStampText({2026, 1, 2, 3, 4, 5, 0}, true), "2026-01-02 03:04:05.0");
  EXPECT_EQ(FormatStampText({2026, 12, 7, 16, 3, 13, 499}, true), "2026-12-07 16:03:13.4");
  EXPECT_EQ(FormatStampText({2026, 12, 31, 23, 59, 59, 999}, true), "2026-12-31 23:59:59.9");
  EXPECT_TRUE(StampShowsTenths(500));
  EXPECT_FALSE(StampShowsTenths(1000));
}

TEST(TimeStampDraw, OnlyOutlinedTextInTheBottomLeftCorner) {
  for (const bool bottomUp : {false, true}) {
    Picture p(163, 123, bottomUp);
    p.Draw(kLongest);
    const StampArea area = TimeStampArea(kLongest, 163, 123);
    EXPECT_GE(area.y, 123 - 12);
    EXPECT_LT(area.x + area.width, 163);
    p.ExpectUntouchedOutside(area);
    const std::set<std::pair<int, int>> light = p.Light();
    ASSERT_FALSE(light.empty());
    for (int y = area.y; y < area.y + area.height; ++y) {
      for (int x = area.x; x < area.x + area.width; ++x) {
        if (!p.Changed(x, y)) continue;
        if (p.Is(x, y, 255)) {
          // Every neighbour of a stroke is stroke or outline, never the picture.
          for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) EXPECT_TRUE(p.Changed(x + dx, y + dy)) << x << "," << y;
          }
        } else {
          ASSERT_TRUE(p.Is(x, y, 0)) << x << "," << y;
          bool touches = false;  // the outline is a ring, not a box
          for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) touches |= light.count({x + dx, y + dy}) > 0;
          }
          EXPECT_TRUE(touches) << x << "," << y;
        }
      }
    }
    // Nothing of the text is clipped at the pane's width.
    Picture wide(400, 123, bottomUp);
    wide.Draw(kLongest);
    EXPECT_EQ(wide.Light(), light);
  }
}

TEST(TimeStampDraw, EveryCharacterHasItsOwnShape) {
  std::set<std::set<std::pair<int, int>>> shapes;
  for (const char c : std::string("0123456789-:.")) {
    Picture p(20, 20, true);
    p.Draw(std::string(1, c));
    EXPECT_FALSE(p.Light().empty()) << c;
    EXPECT_TRUE(shapes.insert(p.Light()).second) << c;
  }
  for (const std::string blank : {" ", "x", ""}) {
    Picture p(20, 20, false);
    p.Draw(blank);
    EXPECT_EQ(p.memory, p.original) << blank;
  }
}

TEST(TimeStampDraw, TinyAndBadPicturesAreSafe) {
  for (int w = 0; w <= 24; ++w) {
    for (int h = 0; h <= 14; ++h) {
      for (const bool bottomUp : {false, true}) {
        Picture p(w, h, bottomUp);
        p.Draw(kLongest);
        const StampArea area = TimeStampArea(kLongest, w, h);
        EXPECT_LE(area.x + area.width, w);
        EXPECT_LE(area.y + area.height, h);
        p.ExpectUntouchedOutside(area);
      }
    }
  }
  Picture p(163, 123, false);
  DrawTimeStamp({nullptr, p.stride, 163, 123}, false, kLongest);
  DrawTimeStamp({p.memory.data() + kGuard, 3 * 163 - 1, 163, 123}, false, kLongest);
  EXPECT_EQ(p.memory, p.original);
}

}  // namespace
}  // namespace lumavex
