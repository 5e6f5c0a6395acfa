#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "recording/recording_settings.h"

namespace lumavex {
namespace {

using namespace std::string_literals;

RecordingSettings Parse(const std::string& body) { return ParseRecordingSettings("[Recording]\r\n" + body); }

TEST(RecordingSettingsParse, ValuesAndEdges) {
  const RecordingSettings s = Parse("IntervalMs=500\r\nStampTime=1\r\n");
  EXPECT_EQ(s.intervalMs, 500);
  EXPECT_TRUE(s.stampTime);
  EXPECT_EQ(Parse("IntervalMs=100").intervalMs, 100);
  EXPECT_EQ(Parse("IntervalMs=60000").intervalMs, 60000);
  EXPECT_EQ(Parse("IntervalMs=1500").intervalMs, 1500);  // in range, though no choice of the list
  EXPECT_FALSE(Parse("StampTime=0").stampTime);
}

TEST(RecordingSettingsParse, EachBadValueGivesItsOwnDefault) {
  for (const char* interval : {"99", "60001", "0", "-500", "+500", "5e2", "500ms", "500 ; fast", "0x1F4", "",
                               "99999999999999999999", "５００", "500\r"}) {
    const RecordingSettings s = Parse(std::string("IntervalMs=") + interval + "\r\nStampTime=1\r\n");
    EXPECT_EQ(s.intervalMs, kDefaultCaptureIntervalMs) << interval;
    EXPECT_TRUE(s.stampTime) << interval;  // the other key is still read
  }
  for (const char* stamp : {"2", "-1", "yes", "true", "1.0", ""}) {
    const RecordingSettings s = Parse(std::string("IntervalMs=200\r\nStampTime=") + stamp);
    EXPECT_FALSE(s.stampTime) << stamp;
    EXPECT_EQ(s.intervalMs, 200) << stamp;
  }
  for (const char* text : {"", "IntervalMs=200\r\nStampTime=1", "[Other]\r\nIntervalMs=200\r\nStampTime=1",
                           "[Recording]\r\n;IntervalMs=200\r\n[Next]\r\nStampTime=1"}) {
    const RecordingSettings s = ParseRecordingSettings(text);
    EXPECT_EQ(s.intervalMs, kDefaultCaptureIntervalMs) << text;
    EXPECT_FALSE(s.stampTime) << text;
  }
}

TEST(RecordingSettingsParse, LiberalAsWindows) {
  const RecordingSettings s = ParseRecordingSettings(
      "\xEF\xBB\xBF; saved by Lumavex\n[other]\nintervalms=300\n\n  [ RECORDING ]  \n"
      "  ; IntervalMs=100\n\tintervalMS \t=  \"2000\" \nSTAMPTIME= 1\nIntervalMs=5000\n[Recording]\n"
      "StampTime=0\n");
  EXPECT_EQ(s.intervalMs, 2000);  // the first key of the first section counts
  EXPECT_TRUE(s.stampTime);
}

TEST(RecordingSettingsWrite, NewFileAndRoundTrip) {
  EXPECT_EQ(UpdateRecordingSettings("", {}), "[Recording]\r\nIntervalMs=1000\r\nStampTime=0\r\nVideo=0\r\n");
  for (const int interval : kCaptureIntervalsMs) {
    for (const bool stamp : {false, true}) {
      const RecordingSettings back = ParseRecordingSettings(UpdateRecordingSettings("", {interval, stamp}));
      EXPECT_EQ(back.intervalMs, interval);
      EXPECT_EQ(back.stampTime, stamp);
    }
  }
}

TEST(RecordingSettingsWrite, KeepsEverythingElse) {
  // Keys replaced where they are, other keys and sections byte for byte, the text's own line ends.
  EXPECT_EQ(UpdateRecordingSettings("; mine\n[Window]\nLeft=5\n\n[recording]\nOther = x\n stamptime = 1\n"
                                    "IntervalMs=oops\n\n[Last]\nA=1",
                                    {200, false}),
            "; mine\n[Window]\nLeft=5\n\n[recording]\nOther = "
            "x\nStampTime=0\nIntervalMs=200\nVideo=0\n\n[Last]\nA=1");
  // A missing key goes at the end of its section, before the blank line that
  // parts it from the next one.
  EXPECT_EQ(UpdateRecordingSettings("[Recording]\r\nOther=1\r\n\r\n[Last]\r\nA=1\r\n", {500, true}),
            "[Recording]\r\nOther=1\r\nIntervalMs=500\r\nStampTime=1\r\nVideo=0\r\n\r\n[Last]\r\nA=1\r\n");
  // A missing section is added after the rest, also to a last line without an end.
  EXPECT_EQ(
      UpdateRecordingSettings("\xEF\xBB\xBF[Window]\r\nLeft=5", {100, true}),
      "\xEF\xBB\xBF[Window]\r\nLeft=5\r\n\r\n[Recording]\r\nIntervalMs=100\r\nStampTime=1\r\nVideo=0\r\n");
  EXPECT_EQ(UpdateRecordingSettings("[Recording]\nStampTime=1", {2000, true}),
            "[Recording]\nStampTime=1\nIntervalMs=2000\nVideo=0\n");
}

// The video's keys: Video is the menu's and written back; SegmentSeconds
// is the file's alone, read within its range and never written or moved.
TEST(RecordingSettingsVideo, VideoWrittenSegmentSecondsOnlyRead) {
  EXPECT_FALSE(Parse("").video);
  EXPECT_EQ(Parse("").segmentSeconds, kDefaultSegmentSeconds);
  EXPECT_TRUE(Parse("Video=1").video);
  for (const char* bad : {"2", "yes", ""}) EXPECT_FALSE(Parse(std::string("Video=") + bad).video) << bad;
  EXPECT_EQ(Parse("SegmentSeconds=5").segmentSeconds, 5);
  EXPECT_EQ(Parse("SegmentSeconds=86400").segmentSeconds, 86400);
  for (const char* bad : {"4", "86401", "0", "1h", "-60"})
    EXPECT_EQ(Parse(std::string("SegmentSeconds=") + bad).segmentSeconds, kDefaultSegmentSeconds) << bad;

  RecordingSettings chosen{200, false, true, 60};
  EXPECT_EQ(UpdateRecordingSettings("[Recording]\nSegmentSeconds=10\nVideo=0\n", chosen),
            "[Recording]\nSegmentSeconds=10\nVideo=1\nIntervalMs=200\nStampTime=0\n");
  EXPECT_EQ(UpdateRecordingSettings("", chosen).find("SegmentSeconds"), std::string::npos);
  const RecordingSettings back = ParseRecordingSettings(UpdateRecordingSettings("", chosen));
  EXPECT_TRUE(back.video);
  EXPECT_EQ(back.segmentSeconds, kDefaultSegmentSeconds);
}

// The bytes of `text` (ASCII and BMP characters) in UTF-16 with its byte order mark.
std::string Utf16Bytes(std::u16string_view text, bool littleEndian) {
  std::string bytes = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (const char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += littleEndian ? low : high;
    bytes += littleEndian ? high : low;
  }
  return bytes;
}

TEST(RecordingSettingsFile, Utf16IsReadAndWrittenBackWholeInItsOwnByteOrder) {
  const std::u16string before =
      u"; K\u00e4the's\r\n[Recording]\r\nIntervalMs=200\r\nStampTime=1\r\n[\u738b]\r\nA=1\r\n";
  const std::u16string after =
      u"; K\u00e4the's\r\n[Recording]\r\nIntervalMs=5000\r\nStampTime=0\r\nVideo=0\r\n[\u738b]\r\nA=1\r\n";
  for (const bool le : {true, false}) {
    const SettingsText text = DecodeSettingsFile(Utf16Bytes(before, le));
    EXPECT_EQ(text.encoding, le ? SettingsEncoding::Utf16Le : SettingsEncoding::Utf16Be);
    const RecordingSettings read = ParseRecordingSettings(text.utf8);
    EXPECT_EQ(read.intervalMs, 200);
    EXPECT_TRUE(read.stampTime);
    // Every byte of the new file is UTF-16 in the old order: no 8-bit line is appended.
    EXPECT_EQ(EncodeSettingsFile(UpdateRecordingSettings(text.utf8, {5000, false}), text.encoding),
              Utf16Bytes(after, le));
  }
  // Keys missing from a UTF-16 file are added in UTF-16, with its line ends.
  const SettingsText bare = DecodeSettingsFile(Utf16Bytes(u"[Window]\r\nLeft=5\r\n", true));
  EXPECT_EQ(
      EncodeSettingsFile(UpdateRecordingSettings(bare.utf8, {100, true}), bare.encoding),
      Utf16Bytes(u"[Window]\r\nLeft=5\r\n\r\n[Recording]\r\nIntervalMs=100\r\nStampTime=1\r\nVideo=0\r\n",
                 true));
}

TEST(RecordingSettingsFile, Utf8AndBrokenUtf16) {
  // UTF-8, with or without its mark, passes through as it is.
  for (const std::string bytes : {std::string("\xEF\xBB\xBF[Recording]\nIntervalMs=500\n"),
                                  std::string("[Recording]\nIntervalMs=500\n"), std::string()}) {
    const SettingsText text = DecodeSettingsFile(bytes);
    EXPECT_EQ(text.encoding, SettingsEncoding::Utf8);
    EXPECT_EQ(text.utf8, bytes);
    EXPECT_EQ(EncodeSettingsFile(text.utf8, text.encoding), bytes);
  }
  // A cut last unit and a lone surrogate become U+FFFD; the lines around them still count.
  std::string bytes =
      Utf16Bytes(u"[Recording]\r\nIntervalMs=500\r\n;", true) + "\x00\xD8"s + "\r\0\n\0"s + "x";
  const SettingsText text = DecodeSettingsFile(bytes);
  EXPECT_EQ(text.utf8, "[Recording]\r\nIntervalMs=500\r\n;\xEF\xBF\xBD\r\n\xEF\xBF\xBD");
  EXPECT_EQ(ParseRecordingSettings(text.utf8).intervalMs, 500);
  // A lone mark is an empty UTF-16 file.
  EXPECT_EQ(DecodeSettingsFile("\xFF\xFE").utf8, "");
  EXPECT_EQ(DecodeSettingsFile("\xFF\xFE").encoding, SettingsEncoding::Utf16Le);
}

}  // namespace
}  // namespace lumavex
