#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "commandline/avi_target.h"
#include "commandline/time_arguments.h"

namespace lumavex {
namespace {

const std::string kChinese = "\xE7\x8E\x8B\xE4\xBC\x9F";                   // 王伟
const std::string kCyrillic = "\xD0\x90\xD0\xBB\xD0\xB8\xD1\x81\xD0\xB0";  // Алиса

TEST(AviTargetBesideFolder, PutsTheVideoBesideTheFolderWhateverSeparatorsEndIt) {
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\Alice01)"), R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\Alice01\)"), R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\Alice01\\/\)"), R"(C:\rec\Alice01.avi)");
  EXPECT_EQ(AviTargetBesideFolder("C:/rec/Alice01/"), "C:/rec/Alice01.avi");
  EXPECT_EQ(AviTargetBesideFolder("Alice01"), "Alice01.avi");
  EXPECT_EQ(AviTargetBesideFolder("C:Alice01\\"), "C:Alice01.avi");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\server\share\rec\)"), R"(\\server\share\rec.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\?\C:\rec\)"), R"(\\?\C:\rec.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\?\U)"), R"(\\?\U.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(\\?\UNC\server\share\rec)"), R"(\\?\UNC\server\share\rec.avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(D:\)" + kChinese + "\\"), R"(D:\)" + kChinese + ".avi");
  EXPECT_EQ(AviTargetBesideFolder(kCyrillic + " 01/"), kCyrillic + " 01.avi");
  // Names that merely begin or end with dots are names.
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\...\)"), R"(C:\rec\....avi)");
  EXPECT_EQ(AviTargetBesideFolder(R"(C:\rec\.hidden)"), R"(C:\rec\.hidden.avi)");
}

TEST(AviTargetBesideFolder, RootsAndDotsHaveNoNameToLend) {
  for (const char* folder : {"",
                             "\\",
                             "/",
                             "\\\\",
                             "C:",
                             "c:\\",
                             "Z:/",
                             "C:\\\\",
                             R"(\\server)",
                             R"(\\server\share)",
                             R"(\\server\share\\)",
                             "//server/share/",
                             R"(\\?\C:\)",
                             R"(\\?\)",
                             R"(\\.\C:)",
                             R"(\\?\UNC\)",
                             R"(\\?\unc)",
                             R"(\\?\UNC\server\share\)",
                             ".",
                             "..",
                             ".\\",
                             R"(C:\rec\..\)",
                             "rec/."}) {
    EXPECT_EQ(AviTargetBesideFolder(folder), std::nullopt) << folder;
  }
}

TEST(DurationMsFromText, SecondsMinutesAndHoursInAnyCase) {
  EXPECT_EQ(DurationMsFromText("90"), 90000);
  EXPECT_EQ(DurationMsFromText("90s"), 90000);
  EXPECT_EQ(DurationMsFromText("90S"), 90000);
  EXPECT_EQ(DurationMsFromText("15m"), 900000);
  EXPECT_EQ(DurationMsFromText("15M"), 900000);
  EXPECT_EQ(DurationMsFromText("2h"), 7200000);
  EXPECT_EQ(DurationMsFromText("2H"), 7200000);
  EXPECT_EQ(DurationMsFromText("007m"), 420000);
}

TEST(DurationMsFromText, DecimalsRoundToTheNearestMillisecond) {
  EXPECT_EQ(DurationMsFromText("1.5h"), 5400000);
  EXPECT_EQ(DurationMsFromText(".5m"), 30000);
  EXPECT_EQ(DurationMsFromText("2."), 2000);
  EXPECT_EQ(DurationMsFromText("0.001"), 1);
  EXPECT_EQ(DurationMsFromText("1.0005"), 1001);
  EXPECT_EQ(DurationMsFromText("1.0004999"), 1000);
  EXPECT_EQ(DurationMsFromText("0.0005"), 1);
}

TEST(DurationMsFromText, ExactEvenForLongDigitStrings) {
  EXPECT_EQ(DurationMsFromText(std::string(500, '0') + "1h"), 3600000);
  EXPECT_EQ(DurationMsFromText("0.0004" + std::string(300, '9')), std::nullopt);  // still below half a ms
  EXPECT_EQ(DurationMsFromText("0.0005" + std::string(300, '0')), 1);
  EXPECT_EQ(DurationMsFromText("1." + std::string(300, '0') + "1"), 1000);
}

TEST(DurationMsFromText, LimitIsTwentyFourDays) {
  EXPECT_EQ(DurationMsFromText("576h"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("34560m"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("2073600"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("2073600.0004"), kMaxDurationMs);
  EXPECT_EQ(DurationMsFromText("2073600.0005"), std::nullopt);
  EXPECT_EQ(DurationMsFromText("576.001h"), std::nullopt);
  EXPECT_EQ(DurationMsFromText(std::string(400, '9') + "h"), std::nullopt);
}

TEST(DurationMsFromText, RefusesZeroSignsUnitsAndJunk) {
  for (const char* text : {"",    "0",  "0s",  "0.0h", "00m", "0.0004",   "0.00000001h", "-5",    "+5",
                           "-1m", "5x", "5ms", "5min", "5 m", " 5",       "5 ",          "5.5.5", ".",
                           ".s",  "s",  "h",   "1e3",  "5,5", "\xD9\xA5", "5hh",         "1h30m"}) {
    EXPECT_EQ(DurationMsFromText(text), std::nullopt) << text;
  }
}

TEST(IntervalMsFromText, EveryMenuChoice) {
  const struct {
    const char* text;
    int ms;
  } choices[] = {{"0.1", 100}, {"0.2", 200},  {"0.5", 500},  {"1", 1000},   {"2", 2000},
                 {"5", 5000},  {"10", 10000}, {"30", 30000}, {"60", 60000}, {".5", 500}};
  for (const auto& choice : choices) EXPECT_EQ(IntervalMsFromText(choice.text), choice.ms) << choice.text;
}

TEST(IntervalMsFromText, ExactEdgesAndRounding) {
  EXPECT_EQ(IntervalMsFromText("0.1000"), 100);
  EXPECT_EQ(IntervalMsFromText("0.1004"), 100);
  EXPECT_EQ(IntervalMsFromText("0.1005"), 101);
  EXPECT_EQ(IntervalMsFromText("0.25"), 250);
  EXPECT_EQ(IntervalMsFromText("60.000"), 60000);
  EXPECT_EQ(IntervalMsFromText("59.9996"), 60000);
  EXPECT_EQ(IntervalMsFromText("0.0999"), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("0.0" + std::string(200, '9')), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("60.0001"), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("60." + std::string(200, '0') + "1"), std::nullopt);
  EXPECT_EQ(IntervalMsFromText("61"), std::nullopt);
}

TEST(IntervalMsFromText, RefusesUnitsSignsAndJunk) {
  for (const char* text : {"", "0", "1s", "1m", "-1", "+1", "1e1", " 1", "1 ", "abc", ".", "0.05"})
    EXPECT_EQ(IntervalMsFromText(text), std::nullopt) << text;
}

}  // namespace
}  // namespace lumavex
