#include <gtest/gtest.h>

#include "recording/recording_members.h"

namespace lumavex {
namespace {

RecordingMemberKind KindOf(std::string_view name, std::string_view prefix = "Alice", bool folder = false) {
  return ClassifyRecordingEntry(name, folder, prefix).kind;
}

TEST(RecordingMembers, OnlyTheRecordingsOwnNamesBelongToIt) {
  EXPECT_EQ(KindOf("Alice0000000.jpg"), RecordingMemberKind::JpgFrame);
  EXPECT_EQ(KindOf("Alice0000012.BMP"), RecordingMemberKind::BmpFrame);
  EXPECT_EQ(KindOf("Alice0036000.Avi"), RecordingMemberKind::Video);
  EXPECT_EQ(ClassifyRecordingEntry("Alice9999999.jpg", false, "Alice").number, 9'999'999);
  EXPECT_EQ(KindOf("TIMES.CSV"), RecordingMemberKind::TimesCsv);
  EXPECT_EQ(KindOf("~TMP", "Alice", true), RecordingMemberKind::Scratch);

  // The user's own files, however close to ours, are never the recording's.
  EXPECT_EQ(KindOf("Bob0000000.jpg"), RecordingMemberKind::None);
  EXPECT_EQ(KindOf("xAlice0000000.jpg"), RecordingMemberKind::None);
  EXPECT_EQ(KindOf("Alice000000.jpg"), RecordingMemberKind::None);    // 6 digits
  EXPECT_EQ(KindOf("Alice00000001.jpg"), RecordingMemberKind::None);  // 8 digits: prefix "Alice0"
  EXPECT_EQ(KindOf("Alice00000a0.jpg"), RecordingMemberKind::None);
  EXPECT_EQ(KindOf("Alice0000000.jpeg"), RecordingMemberKind::None);
  EXPECT_EQ(KindOf("Alice0000000.jpg.txt"), RecordingMemberKind::None);
  EXPECT_EQ(KindOf("times.csv", "Alice", true), RecordingMemberKind::None);  // a folder of that name
  EXPECT_EQ(KindOf("~tmp"), RecordingMemberKind::None);                      // a file of that name
  EXPECT_EQ(KindOf(".jpg"), RecordingMemberKind::None);
  EXPECT_EQ(KindOf(""), RecordingMemberKind::None);
}

TEST(RecordingMembers, PrefixesEndingInDigitsOrEmptySplitAtTheLastSeven) {
  EXPECT_EQ(KindOf("Cam20000005.jpg", "Cam2"), RecordingMemberKind::JpgFrame);
  EXPECT_EQ(ClassifyRecordingEntry("Cam20000005.jpg", false, "Cam2").number, 5);
  EXPECT_EQ(KindOf("0000005.jpg", ""), RecordingMemberKind::JpgFrame);
  EXPECT_EQ(KindOf("Cam20000005.jpg", ""), RecordingMemberKind::None);

  const auto split = SplitNumberedName("\xC3\xA9t\xC3\xA9 - 0000042.JPG");
  ASSERT_TRUE(split.has_value());
  EXPECT_EQ(split->prefix, "\xC3\xA9t\xC3\xA9 - ");
  EXPECT_EQ(split->number, 42);
  EXPECT_EQ(split->extension, ".jpg");
  EXPECT_EQ(VideoFileName("Alice", 36000), "Alice0036000.avi");
}

}  // namespace
}  // namespace lumavex
