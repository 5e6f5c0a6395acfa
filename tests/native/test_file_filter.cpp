#include "dialogs/file_filter.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using lumavex::ConvertFilter;
using lumavex::FilterEntryAt;
using namespace std::string_literals;

TEST(ConvertFilter, SplitsAtBarsAndColonsAndEndsWithTwoNuls) {
  EXPECT_EQ(ConvertFilter("AVI Files|*.avi"), "AVI Files\0*.avi\0\0"s);
  EXPECT_EQ(ConvertFilter("Type: AVI|*.avi"), "Type\0 AVI\0*.avi\0\0"s);
  EXPECT_EQ(ConvertFilter("A|*.a|B|*.b"), "A\0*.a\0B\0*.b\0\0"s);
  EXPECT_EQ(ConvertFilter(""), "\0\0"s);
}

TEST(FilterEntryAt, ReturnsTheNthDescriptionAndPattern) {
  const std::string list = ConvertFilter("AVI Files|*.avi|All Files|*.*");
  EXPECT_EQ(FilterEntryAt(list, 1), "AVI Files\0*.avi"s);
  EXPECT_EQ(FilterEntryAt(list, 2), "All Files\0*.*"s);
  EXPECT_EQ(FilterEntryAt(ConvertFilter("AVI Files|*.avi"), 1), "AVI Files\0*.avi"s);
}

TEST(FilterEntryAt, OutOfRangeGivesEmpty) {
  const std::string list = ConvertFilter("AVI Files|*.avi|All Files|*.*");
  EXPECT_EQ(FilterEntryAt(list, 0), "");
  EXPECT_EQ(FilterEntryAt(list, -1), "");
  EXPECT_EQ(FilterEntryAt(list, 3), "");
  EXPECT_EQ(FilterEntryAt(list, 2147483647), "");
  EXPECT_EQ(FilterEntryAt("\0"s, 1), "");
  EXPECT_EQ(FilterEntryAt("", 1), "");
  EXPECT_EQ(FilterEntryAt("no separators", 1), "");
}

}  // namespace
