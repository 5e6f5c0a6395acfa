#include "writeavi/frame_rate.h"

#include <string>

#include <gtest/gtest.h>

namespace {

using lumavex::FrameRateFromText;

TEST(FrameRateFromText, TakesWholeNumbersWithinRange) {
  EXPECT_EQ(FrameRateFromText("3"), 3);
  EXPECT_EQ(FrameRateFromText("1"), 1);
  EXPECT_EQ(FrameRateFromText("30"), 30);
  EXPECT_EQ(FrameRateFromText("+7"), 7);
  EXPECT_EQ(FrameRateFromText("007"), 7);
}

TEST(FrameRateFromText, RoundsHalvesToEven) {
  EXPECT_EQ(FrameRateFromText("12.5"), 12);
  EXPECT_EQ(FrameRateFromText("13.5"), 14);
  EXPECT_EQ(FrameRateFromText("1.5"), 2);
  EXPECT_EQ(FrameRateFromText("2.5"), 2);
  EXPECT_EQ(FrameRateFromText("29.5"), 30);
  EXPECT_EQ(FrameRateFromText("12.5000000000000000000001"), 13);
  EXPECT_EQ(FrameRateFromText("12.4999999999999999999999"), 12);
  EXPECT_EQ(FrameRateFromText("12.50000"), 12);
  EXPECT_EQ(FrameRateFromText("5.51"), 6);
  EXPECT_EQ(FrameRateFromText("4.49"), 4);
}

TEST(FrameRateFromText, ClampsToOneThroughThirty) {
  EXPECT_EQ(FrameRateFromText("45"), 30);
  EXPECT_EQ(FrameRateFromText("30.5"), 30);
  EXPECT_EQ(FrameRateFromText("0"), 1);
  EXPECT_EQ(FrameRateFromText("0.5"), 1);
  EXPECT_EQ(FrameRateFromText("-5"), 1);
  EXPECT_EQ(FrameRateFromText("-0.4"), 1);
  EXPECT_EQ(FrameRateFromText("100"), 30);
  EXPECT_EQ(FrameRateFromText("0100"), 30);
}

TEST(FrameRateFromText, HugeNumbersSaturateWithoutOverflow) {
  EXPECT_EQ(FrameRateFromText(std::string(400, '9')), 30);
  EXPECT_EQ(FrameRateFromText(std::string(400, '0') + "7"), 7);
  EXPECT_EQ(FrameRateFromText("0." + std::string(400, '0') + "9"), 1);
  EXPECT_EQ(FrameRateFromText("1e999"), 30);
  EXPECT_EQ(FrameRateFromText("1e99999999999999999999"), 30);
  EXPECT_EQ(FrameRateFromText("1e-99999999999999999999"), 1);
  EXPECT_EQ(FrameRateFromText("-1e999"), 1);
}

TEST(FrameRateFromText, ReadsExponents) {
  EXPECT_EQ(FrameRateFromText("2e1"), 20);
  EXPECT_EQ(FrameRateFromText("25E-1"), 2);
  EXPECT_EQ(FrameRateFromText("0.035e3"), 30);
  EXPECT_EQ(FrameRateFromText("7e"), 7);
  EXPECT_EQ(FrameRateFromText("7e+"), 7);
}

TEST(FrameRateFromText, UsesOnlyTheLeadingNumber) {
  EXPECT_EQ(FrameRateFromText("7 fps"), 7);
  EXPECT_EQ(FrameRateFromText("  9"), 9);
  EXPECT_EQ(FrameRateFromText("8.5.5"), 8);
  EXPECT_EQ(FrameRateFromText("12abc"), 12);
  EXPECT_EQ(FrameRateFromText(".5"), 1);
  EXPECT_EQ(FrameRateFromText("5."), 5);
}

TEST(FrameRateFromText, TextWithoutANumberGivesOne) {
  for (const char* text : {"", " ", "fps", "-", "+", ".", "-.", "e5", "x12", "\t"})
    EXPECT_EQ(FrameRateFromText(text), 1) << '"' << text << '"';
}

}  // namespace
