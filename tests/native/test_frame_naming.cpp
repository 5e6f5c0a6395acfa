#include <gtest/gtest.h>

#include <string>

#include "recording/frame_naming.h"
#include "recording/timestamp.h"

namespace lumavex {
namespace {

constexpr CalendarTime kMarch7At140509{2004, 3, 7, 14, 5, 9};

CalendarTime At(int hour, int minute, int second) { return CalendarTime{2004, 3, 7, hour, minute, second}; }

TEST(RecordingTimestamp, DocumentExampleAndTwelveHourClock) {
  const LocaleNames en = EnglishLocaleNames();
  EXPECT_EQ(FormatRecordingTimestamp(kMarch7At140509, en), "07_Mar_2004_02_05_09_PM");
  EXPECT_EQ(FormatRecordingTimestamp(At(0, 0, 0), en), "07_Mar_2004_12_00_00_AM");
  EXPECT_EQ(FormatRecordingTimestamp(At(0, 59, 59), en), "07_Mar_2004_12_59_59_AM");
  EXPECT_EQ(FormatRecordingTimestamp(At(1, 2, 3), en), "07_Mar_2004_01_02_03_AM");
  EXPECT_EQ(FormatRecordingTimestamp(At(11, 59, 59), en), "07_Mar_2004_11_59_59_AM");
  EXPECT_EQ(FormatRecordingTimestamp(At(12, 0, 0), en), "07_Mar_2004_12_00_00_PM");
  EXPECT_EQ(FormatRecordingTimestamp(At(23, 0, 0), en), "07_Mar_2004_11_00_00_PM");
  // "mm" after the hour is minutes, not the month.
  EXPECT_EQ(FormatRecordingTimestamp(CalendarTime{1999, 12, 31, 9, 30, 0}, en), "31_Dec_1999_09_30_00_AM");
  EXPECT_EQ(FormatRecordingTimestamp(CalendarTime{2010, 1, 1, 9, 30, 0}, en), "01_Jan_2010_09_30_00_AM");
}

TEST(RecordingTimestamp, UsesLocaleNamesAndSurvivesOutOfRangeFields) {
  LocaleNames fr = EnglishLocaleNames();
  fr.abbreviatedMonths[2] = "mars";
  fr.am = "";
  fr.pm = "";
  EXPECT_EQ(FormatRecordingTimestamp(kMarch7At140509, fr), "07_mars_2004_02_05_09_");

  const LocaleNames en = EnglishLocaleNames();
  EXPECT_EQ(FormatRecordingTimestamp(CalendarTime{99, 13, 7, 24, 5, 9}, en), "07_13_0099_12_05_09_AM");
  EXPECT_EQ(FormatRecordingTimestamp(CalendarTime{2004, 0, 7, -1, 5, 9}, en), "07_00_2004_11_05_09_PM");
}

TEST(FramePrefix, DropsTheLastFifteenCharacters) {
  EXPECT_EQ(FramePrefix("Alice - Conversation"), "Alice");
  EXPECT_EQ(FramePrefix(""), "");
  EXPECT_EQ(FramePrefix(std::string(14, 'x')), "");
  EXPECT_EQ(FramePrefix(" - Conversation"), "");
  EXPECT_EQ(FramePrefix("A - Conversation"), "A");
}

TEST(FramePrefix, ReplacesCharactersFileNamesCannotHold) {
  EXPECT_EQ(FramePrefix("Eve: a/b - Conversation"), "Eve_ a_b");
  EXPECT_EQ(FramePrefix("<>:\"/\\|?* - Conversation"), "_________");
  EXPECT_EQ(FramePrefix(std::string("a\x01\tb\x1f") + '\0' + " - Conversation"), "a__b__");
  // Allowed punctuation, DEL and ANSI letters stay; so do trailing dots and
  // spaces, since a time stamp or frame number always follows the prefix.
  EXPECT_EQ(FramePrefix("Zo\xe9 (home) #1 & co.\x7f - Conversation"), "Zo\xe9 (home) #1 & co.\x7f");
  EXPECT_EQ(FramePrefix("Dr. J.  - Conversation"), "Dr. J. ");
}

// Every character a file name allows stays, in any script; the 15 dropped
// are characters, not bytes.
TEST(FramePrefix, KeepsNamesInAnyScript) {
  EXPECT_EQ(FramePrefix("王伟 - Conversation"), "王伟");
  EXPECT_NE(FramePrefix("王伟 - Conversation"), FramePrefix("李娜 - Conversation"));
  EXPECT_EQ(FramePrefix("Ана - Conversation"), "Ана");
  EXPECT_EQ(FramePrefix("Łukasz - Conversation"), "Łukasz");
  EXPECT_EQ(FramePrefix("Zoë 😀 - Conversation"), "Zoë 😀");
  EXPECT_EQ(FramePrefix("李:娜/王?😀* - Conversation"), "李_娜_王_😀_");
  // Fifteen non-ASCII characters are a whole suffix, whatever their bytes.
  EXPECT_EQ(FramePrefix("A王伟王伟王伟王伟王伟王伟王伟王"), "A");
  EXPECT_EQ(FramePrefix("王伟王伟王伟王伟王伟王伟王伟王"), "");
  EXPECT_EQ(FramePrefix("😀😀😀😀😀😀😀😀😀😀😀😀😀😀"), "");
}

TEST(RecordingFolderName, ChineseNameRecordsUnderItself) {
  EXPECT_EQ(RecordingFolderName(FramePrefix("王伟 - Conversation"), kMarch7At140509, EnglishLocaleNames()),
            "王伟07_Mar_2004_02_05_09_PM");
  LocaleNames ru = EnglishLocaleNames();
  ru.abbreviatedMonths[2] = "мар.";
  ru.pm = "";
  EXPECT_EQ(RecordingFolderName("Ана", kMarch7At140509, ru), "Ана07_мар._2004_02_05_09_");
}

TEST(SanitiseFileName, DropsTrailingDotsAndSpaces) {
  EXPECT_EQ(SanitiseFileName("name. . "), "name");
  EXPECT_EQ(SanitiseFileName("a.b"), "a.b");
  EXPECT_EQ(SanitiseFileName(" . "), "");
  EXPECT_EQ(SanitiseFileName("x?. "), "x_");
}

TEST(RecordingFolderName, PrefixThenTimestamp) {
  const LocaleNames en = EnglishLocaleNames();
  EXPECT_EQ(RecordingFolderName(FramePrefix("Alice - Conversation"), kMarch7At140509, en),
            "Alice07_Mar_2004_02_05_09_PM");
  // A 15-character title: the time stamp alone.
  EXPECT_EQ(RecordingFolderName(FramePrefix(" - Conversation"), kMarch7At140509, en),
            "07_Mar_2004_02_05_09_PM");
}

TEST(RecordingFolderName, LocaleDesignatorsAreMadeSafe) {
  LocaleNames names = EnglishLocaleNames();
  names.pm = "p.m.";
  EXPECT_EQ(RecordingFolderName("Bob", kMarch7At140509, names), "Bob07_Mar_2004_02_05_09_p.m");
  names.pm = "n/m";
  names.abbreviatedMonths[2] = "M:r";
  EXPECT_EQ(RecordingFolderName("Bob", kMarch7At140509, names), "Bob07_M_r_2004_02_05_09_n_m");
}

TEST(FrameNumberText, SevenDigitsOverTheCounterRange) {
  EXPECT_EQ(FrameNumberText(0), "0000000");
  EXPECT_EQ(FrameNumberText(12), "0000012");
  EXPECT_EQ(FrameNumberText(10000), "0010000");
  EXPECT_EQ(FrameNumberText(32767), "0032767");
  // Six-digit numbers get their zero too, so names keep sorting in order.
  EXPECT_EQ(FrameNumberText(99999), "0099999");
  EXPECT_EQ(FrameNumberText(100000), "0100000");
  EXPECT_EQ(FrameNumberText(999999), "0999999");
  EXPECT_EQ(FrameNumberText(1000000), "1000000");
  EXPECT_EQ(FrameNumberText(kMaxFrameNumber), "9999999");
}

TEST(FramePaths, JoinedWithBackslashesAndNothingTrimmed) {
  EXPECT_EQ(JoinPath("C:\\rec", "f"), "C:\\rec\\f");
  EXPECT_EQ(JoinPath("C:\\", "f"), "C:\\\\f");
  EXPECT_EQ(JoinPath(" C:\\rec ", "f"), " C:\\rec \\f");

  const std::string folder = "Alice07_Mar_2004_02_05_09_PM";
  EXPECT_EQ(FrameFilePath("C:\\rec", folder, "Alice", 0, ".jpg"),
            "C:\\rec\\Alice07_Mar_2004_02_05_09_PM\\Alice0000000.jpg");
  EXPECT_EQ(FrameFilePath("D:\\", folder, "Alice", 12, ".bmp"),
            "D:\\\\Alice07_Mar_2004_02_05_09_PM\\Alice0000012.bmp");
  // An empty prefix names the frame by its number alone.
  EXPECT_EQ(FrameFilePath("C:\\rec", "07_Mar_2004_02_05_09_PM", "", 32767, ".jpg"),
            "C:\\rec\\07_Mar_2004_02_05_09_PM\\0032767.jpg");
}

}  // namespace
}  // namespace lumavex
