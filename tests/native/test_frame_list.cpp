#include "writeavi/frame_list.h"

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using lumavex::FileNameLess;
using lumavex::MatchesFilePattern;
using Names = std::vector<std::string>;

// A folder's names as the conversion lists them: those matching the
// pattern, in the order they become frames.
Names ListFrameFiles(const Names& names, const std::string& pattern) {
  Names listed;
  std::copy_if(names.begin(), names.end(), std::back_inserter(listed),
               [&](const std::string& name) { return MatchesFilePattern(name, pattern); });
  std::sort(listed.begin(), listed.end(), FileNameLess);
  return listed;
}

TEST(MatchesFilePattern, MatchesExtensionWithoutRegardToCase) {
  EXPECT_TRUE(MatchesFilePattern("a.jpg", "*.jpg"));
  EXPECT_TRUE(MatchesFilePattern("A.JPG", "*.jpg"));
  EXPECT_TRUE(MatchesFilePattern(".jpg", "*.jpg"));
  EXPECT_TRUE(MatchesFilePattern("x.jpg.jpg", "*.jpg"));
  EXPECT_FALSE(MatchesFilePattern("tmp.bmp", "*.jpg"));
  EXPECT_FALSE(MatchesFilePattern("a.jpeg", "*.jpg"));
  EXPECT_FALSE(MatchesFilePattern("a.jpg.bak", "*.jpg"));
  EXPECT_FALSE(MatchesFilePattern("ajpg", "*.jpg"));
}

TEST(MatchesFilePattern, HandlesQuestionMarksAndStars) {
  EXPECT_TRUE(MatchesFilePattern("f01.bmp", "f??.bmp"));
  EXPECT_FALSE(MatchesFilePattern("f1.bmp", "f??.bmp"));
  EXPECT_TRUE(MatchesFilePattern("anything", "*"));
  EXPECT_TRUE(MatchesFilePattern("", "*"));
  EXPECT_FALSE(MatchesFilePattern("", "?"));
  EXPECT_TRUE(MatchesFilePattern("abcabd", "*ab?"));
  EXPECT_TRUE(MatchesFilePattern(std::string(2000, 'a') + "b", "*a*a*a*b"));
  EXPECT_FALSE(MatchesFilePattern(std::string(2000, 'a'), "*a*a*a*b"));
}

TEST(FileNameLess, IgnoresCaseAndBreaksTiesByExactText) {
  EXPECT_TRUE(FileNameLess("a.jpg", "B.jpg"));
  EXPECT_FALSE(FileNameLess("B.jpg", "a.jpg"));
  EXPECT_TRUE(FileNameLess("A.jpg", "a.jpg"));
  EXPECT_FALSE(FileNameLess("a.jpg", "A.jpg"));
  EXPECT_FALSE(FileNameLess("a.jpg", "a.jpg"));
  EXPECT_TRUE(FileNameLess("ab", "abc"));
  // '_' lies between the upper- and lower-case letters: letters compare as
  // lower case, so it comes before all of them.
  EXPECT_TRUE(FileNameLess("_", "Z"));
  EXPECT_TRUE(FileNameLess("_", "a"));
  EXPECT_FALSE(FileNameLess("A", "_"));
}

TEST(ListFrameFiles, ListsRecordingFramesInRecordingOrder) {
  const Names folder = {"cam 0000010.jpg", "tmp.bmp",         "cam 0000002.JPG", "cam 0000001.jpg",
                        "Cam 0000003.jpg", "cam 0000002.bmp", "notes.txt"};
  EXPECT_EQ(ListFrameFiles(folder, "*.jpg"),
            (Names{"cam 0000001.jpg", "cam 0000002.JPG", "Cam 0000003.jpg", "cam 0000010.jpg"}));
}

TEST(ListFrameFiles, OrdersNamesAsTextAndDeterministically) {
  // Counters without leading zeros sort as text: 10 before 9.
  EXPECT_EQ(ListFrameFiles({"f9.jpg", "f10.jpg"}, "*.jpg"), (Names{"f10.jpg", "f9.jpg"}));
  EXPECT_EQ(ListFrameFiles({"b.jpg", "a.jpg", "A.jpg"}, "*.jpg"), (Names{"A.jpg", "a.jpg", "b.jpg"}));
  EXPECT_EQ(ListFrameFiles({"A.jpg", "b.jpg", "a.jpg"}, "*.jpg"), (Names{"A.jpg", "a.jpg", "b.jpg"}));
  EXPECT_TRUE(ListFrameFiles({"only.bmp", "tmp.bmp"}, "*.jpg").empty());
}

}  // namespace
