// Paths as text: the folder a video or the program lies in, and paths as
// people paste them into a box (Explorer's "Copy as path" quotes them).
#include "base/path.h"

#include <gtest/gtest.h>

namespace lumavex {
namespace {

TEST(ParentFolder, KeepsTheRootsSeparatorOnly) {
  EXPECT_EQ(ParentFolder("C:\\rec\\video.avi"), "C:\\rec");
  EXPECT_EQ(ParentFolder("C:\\video.avi"), "C:\\");
  EXPECT_EQ(ParentFolder("D:/rec/video.avi"), "D:/rec");
  EXPECT_EQ(ParentFolder("\\\\server\\share\\v.avi"), "\\\\server\\share");
  EXPECT_EQ(ParentFolder("video.avi"), ".");
  EXPECT_EQ(NameInPath("C:\\rec\\video.avi"), "video.avi");
  EXPECT_EQ(NameInPath("D:/rec/video.avi"), "video.avi");
  EXPECT_EQ(NameInPath("video.avi"), "video.avi");
  EXPECT_EQ(NameInPath("C:\\rec\\"), "");
}

TEST(PathFromBox, DropsSpacesAndTheQuotesAroundIt) {
  EXPECT_EQ(PathFromBox("\"C:\\Users\\Ана\\rec\""), "C:\\Users\\Ана\\rec");
  EXPECT_EQ(PathFromBox("  \" C:\\rec \"\t"), "C:\\rec");
  EXPECT_EQ(PathFromBox(" C:\\my rec "), "C:\\my rec");
  EXPECT_EQ(PathFromBox("C:\\rec"), "C:\\rec");
  // Not a pair around the whole path: left for the folder check to refuse.
  EXPECT_EQ(PathFromBox("\"C:\\rec"), "\"C:\\rec");
  EXPECT_EQ(PathFromBox("\""), "\"");
  EXPECT_EQ(PathFromBox("\"\""), "");
  EXPECT_EQ(PathFromBox("   "), "");
}

}  // namespace
}  // namespace lumavex
