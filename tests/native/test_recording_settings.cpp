#include <gtest/gtest.h>

#include <string>

#include "recording/recording_settings.h"

namespace lumavex {
namespace {

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
  EXPECT_EQ(UpdateRecordingSettings("", {}), "[Recording]\r\nIntervalMs=1000\r\nStampTime=0\r\n");
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
            "; mine\n[Window]\nLeft=5\n\n[recording]\nOther = x\nStampTime=0\nIntervalMs=200\n\n[Last]\nA=1");
  // A missing key goes at the end of its section, before the blank line that
  // parts it from the next one.
  EXPECT_EQ(UpdateRecordingSettings("[Recording]\r\nOther=1\r\n\r\n[Last]\r\nA=1\r\n", {500, true}),
            "[Recording]\r\nOther=1\r\nIntervalMs=500\r\nStampTime=1\r\n\r\n[Last]\r\nA=1\r\n");
  // A missing section is added after the rest, also to a last line without an end.
  EXPECT_EQ(UpdateRecordingSettings("\xEF\xBB\xBF[Window]\r\nLeft=5", {100, true}),
            "\xEF\xBB\xBF[Window]\r\nLeft=5\r\n\r\n[Recording]\r\nIntervalMs=100\r\nStampTime=1\r\n");
  EXPECT_EQ(UpdateRecordingSettings("[Recording]\nStampTime=1", {2000, true}),
            "[Recording]\nStampTime=1\nIntervalMs=2000\n");
}

}  // namespace
}  // namespace lumavex
