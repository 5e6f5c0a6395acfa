// The compact frame list must give exactly the names, sizes and order that
// a list of whole names sorted by FileNameLess gives.
#include "writeavi/frame_names.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "writeavi/frame_list.h"

namespace {

using lumavex::FileNameLess;
using lumavex::FrameNames;
using File = std::pair<std::string, std::uint64_t>;

// Adds `files` in the given order, sorts, and checks the result against
// the plain sort of the whole names.
void ExpectSameAsPlainSort(std::vector<File> files) {
  FrameNames names;
  for (const File& f : files) names.Add(f.first, f.second);
  names.Sort();
  std::sort(files.begin(), files.end(),
            [](const File& a, const File& b) { return FileNameLess(a.first, b.first); });
  ASSERT_EQ(names.size(), files.size());
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    EXPECT_EQ(names.Name(i), files[i].first) << "entry " << i;
    EXPECT_EQ(names.Size(i), files[i].second) << files[i].first;
    total += files[i].second;
  }
  EXPECT_EQ(names.TotalSize(), total);
}

TEST(FrameNames, RecordingFramesComeOutInRecordingOrder) {
  std::vector<File> files;
  for (int i = 2999; i >= 0; --i) {
    char name[32];
    std::snprintf(name, sizeof name, "Alice%07d.jpg", i);
    files.push_back({name, 4000u + static_cast<unsigned>(i)});
  }
  ExpectSameAsPlainSort(files);
}

// Names whose order the numbers alone do not give: case differences
// (compared without case, then exactly), 7 against 8 and 10 digits (the
// text decides, not the number), digits in the prefix, no digits at all,
// a ".JPG", names that are a prefix of others, and bytes above ASCII.
TEST(FrameNames, OddNamesSortAsTheirWholeNames) {
  ExpectSameAsPlainSort({{"Alice0000010.jpg", 1},
                         {"ALICE0000008.jpg", 2},
                         {"alice0000011.JPG", 3},
                         {"Alice0000009.jpg", 4},
                         {"Alice10000000.jpg", 5},
                         {"Alice9999999.jpg", 6},
                         {"Alice0000000001.jpg", 7},
                         {"Alice1.jpg", 8},
                         {"Alice01.jpg", 9},
                         {"cam2_0000001.jpg", 10},
                         {"cam10_0000001.jpg", 11},
                         {"snapshot.jpg", 12},
                         {".jpg", 13},
                         {"0.jpg", 14},
                         {"Alice0000000.jpg.jpg", 15},
                         {"Alice.jpg", 16},
                         {"\xe7\x8e\x8b\xe4\xbc\x9f"
                          "0000001.jpg",
                          17},
                         {"\xe7\x8e\x8b\xe4\xbc\x9f"
                          "0000000.jpg",
                          18},
                         {"Alice_0000000.jpg", 19},
                         {"Alice[0000000.jpg", 20}});
}

// Many shapes at once, shuffled: sorting across shapes compares the text.
TEST(FrameNames, MixedShapesShuffledMatchThePlainSort) {
  std::vector<File> files;
  const char* prefixes[] = {"Alice", "alice", "ALICE", "Bob", "Alice_", "A", ""};
  const char* formats[] = {"%s%07d.jpg", "%s%d.jpg", "%s%08d.JPG", "%s%03d.jpg"};
  std::mt19937 random(7);
  for (const char* prefix : prefixes)
    for (const char* format : formats)
      for (int i = 0; i < 40; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, format, prefix, static_cast<int>(random() % 20000));
        if (std::none_of(files.begin(), files.end(), [&](const File& f) { return f.first == name; }))
          files.push_back({name, random() % 100000});
      }
  std::shuffle(files.begin(), files.end(), random);
  ExpectSameAsPlainSort(files);
}

// A size that needs more than 32 bits is kept whole, as is the number
// 999999999 (9 digits, the largest held as a number) and the sum.
TEST(FrameNames, LargeSizesAndNumbersAreKept) {
  ExpectSameAsPlainSort({{"Alice0000001.jpg", std::uint64_t{5} << 32},
                         {"Alice0000000.jpg", 0xFFFFFFFEu},
                         {"Alice0000002.jpg", 0xFFFFFFFFu},
                         {"Alice999999999.jpg", 1},
                         {"Alice000000000.jpg", 2}});
}

// The point of it: a frame of the usual shape costs 12 bytes, not a string.
TEST(FrameNames, UsualNamesCostTwelveBytesAFrame) {
  FrameNames names;
  constexpr int kFrames = 100000;
  for (int i = 0; i < kFrames; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "Alice%07d.jpg", i);
    names.Add(name, 4300);
  }
  names.Sort();
  EXPECT_LE(names.BytesHeld(), std::size_t{kFrames} * 12 * 2);  // the vector's growth at most doubles it
  EXPECT_EQ(names.Name(kFrames - 1), "Alice0099999.jpg");
}

}  // namespace
