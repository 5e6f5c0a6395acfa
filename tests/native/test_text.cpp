// The shared ASCII text rules: their edges, where a hand-written copy of
// them would most likely have slipped.
#include "base/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace lumavex {
namespace {

TEST(Trim, DropsBlanksAtBothEndsOnly) {
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim(" \t\r\n \t"), "");
  EXPECT_EQ(Trim("\t C:\\my rec \r\n"), "C:\\my rec");
  EXPECT_EQ(Trim("x"), "x");
  // A no-break space (U+00A0) is a character of the name, not a blank.
  EXPECT_EQ(Trim(" \xC2\xA0name\xC2\xA0 "), "\xC2\xA0name\xC2\xA0");
}

TEST(Trim, TakesOnlyTheBlanksItIsGiven) {
  EXPECT_EQ(Trim(" 1000\r\t", " \t"), "1000\r");
  EXPECT_EQ(Trim("\r\n", " \t"), "\r\n");
  EXPECT_EQ(Trim(" \t ", " \t"), "");
}

TEST(AsciiLower, FoldsAsciiLettersAndNothingElse) {
  EXPECT_EQ(AsciiLower(""), "");
  EXPECT_EQ(AsciiLower("AZaz09@[`{-"), "azaz09@[`{-");
  // The bytes of Ä (C3 84) and of Ж (D0 96) stay as they are.
  EXPECT_EQ(AsciiLower("\xC3\x84Ж--TYPE"), "\xC3\x84Ж--type");
  EXPECT_EQ(AsciiLower('Q'), 'q');
  EXPECT_EQ(AsciiLower('\xC4'), '\xC4');
}

TEST(EqualsIgnoringAsciiCase, SameLettersInEitherCase) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase("", ""));
  EXPECT_TRUE(EqualsIgnoringAsciiCase("IntervalMs", "INTERVALMS"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("IntervalMs", "IntervalM"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("a", ""));
  // Only ASCII is folded: É and é are different names.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("\xC3\x89", "\xC3\xA9"));
  // '@' and '`' lie next to the letters and are no letters.
  EXPECT_FALSE(EqualsIgnoringAsciiCase("@", "`"));
}

TEST(Utf8Bom, OneWholeMarkIsStripped) {
  EXPECT_EQ(StripUtf8Bom(""), "");
  EXPECT_EQ(StripUtf8Bom("\xEF\xBB\xBF"), "");
  EXPECT_EQ(StripUtf8Bom("\xEF\xBB\xBFtext"), "text");
  EXPECT_EQ(StripUtf8Bom("\xEF\xBB\xBF\xEF\xBB\xBFx"), "\xEF\xBB\xBFx");
  EXPECT_EQ(StripUtf8Bom("\xEF\xBBtext"), "\xEF\xBBtext");
  EXPECT_EQ(StripUtf8Bom("text\xEF\xBB\xBF"), "text\xEF\xBB\xBF");
  EXPECT_TRUE(StartsWithUtf8Bom("\xEF\xBB\xBF"));
  EXPECT_FALSE(StartsWithUtf8Bom("\xEF\xBB"));
  EXPECT_FALSE(StartsWithUtf8Bom(" \xEF\xBB\xBF"));
}

TEST(ZeroPad, FillsToTheWidthAndNeverCuts) {
  EXPECT_EQ(ZeroPad(0, 7), "0000000");
  EXPECT_EQ(ZeroPad(12, 2), "12");
  EXPECT_EQ(ZeroPad(5, 2), "05");
  EXPECT_EQ(ZeroPad(12345, 4), "12345");
  EXPECT_EQ(ZeroPad(7, 0), "7");
  EXPECT_EQ(ZeroPad(0, 0), "0");
  // The sign comes first and the digits are counted without it.
  EXPECT_EQ(ZeroPad(-7, 3), "-007");
  EXPECT_EQ(ZeroPad(-1234, 2), "-1234");
  EXPECT_EQ(ZeroPad(std::numeric_limits<std::int64_t>::max(), 2), "9223372036854775807");
  EXPECT_EQ(ZeroPad(std::numeric_limits<std::int64_t>::min(), 21), "-009223372036854775808");
}

}  // namespace
}  // namespace lumavex
