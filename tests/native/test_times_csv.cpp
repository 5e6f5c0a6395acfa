#include <gtest/gtest.h>

#include <string>

#include "base/file.h"
#include "recording/times_csv.h"

namespace lumavex {
namespace {

constexpr CalendarTime kMorning{2026, 3, 4, 5, 6, 7, 8};

TimesRecord Record(TimesEvent event, std::optional<std::int64_t> frame, std::string detail,
                   CalendarTime time = kMorning) {
  return TimesRecord{time, event, frame, std::move(detail)};
}

std::string ReadAll(const std::string& path) {
  UniqueStdFile file(OpenFileUtf8(path, "rb"));
  std::string text;
  char buffer[256];
  for (std::size_t n; file && (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
    text.append(buffer, n);
  return text;
}

void WriteAll(const std::string& path, const std::string& text) {
  UniqueStdFile file(OpenFileUtf8(path, "wb"));
  ASSERT_TRUE(file);
  ASSERT_EQ(std::fwrite(text.data(), 1, text.size(), file.get()), text.size());
}

std::string FreshPath(const char* name) {
  const std::string path = ::testing::TempDir() + name;
  RemoveFileUtf8(path);
  return path;
}

TEST(TimesCsvFormat, LinesFieldsAndTimes) {
  EXPECT_EQ(FormatUtcTime(kMorning), "2026-03-04T05:06:07.008Z");
  EXPECT_EQ(FormatUtcTime({1999, 12, 31, 23, 59, 59, 999}), "1999-12-31T23:59:59.999Z");
  EXPECT_EQ(FormatUtcTime({12345, -1, 0, 0, 0, 0, 1000}), "9999-00-00T00:00:00.999Z");  // still parses
  EXPECT_EQ(FormatTimesLine(Record(TimesEvent::Frame, 42, "")), "2026-03-04T05:06:07.008Z,frame,42,\r\n");
  // The frame field belongs to frame lines only.
  EXPECT_EQ(FormatTimesLine(Record(TimesEvent::Halt, 42, "disk full")),
            "2026-03-04T05:06:07.008Z,halt,,disk full\r\n");
  EXPECT_EQ(QuoteCsvField("plain text; 5 MB"), "plain text; 5 MB");
  EXPECT_EQ(QuoteCsvField("a,b"), "\"a,b\"");
  EXPECT_EQ(QuoteCsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(QuoteCsvField("line\r\nnext"), "\"line\r\nnext\"");
  EXPECT_EQ(QuoteCsvField("cr\r"), "\"cr\r\"");
  for (TimesEvent e :
       {TimesEvent::Start, TimesEvent::Frame, TimesEvent::Pause, TimesEvent::Resume, TimesEvent::Lost,
        TimesEvent::Back, TimesEvent::Reset, TimesEvent::Stop, TimesEvent::Halt, TimesEvent::Pruned,
        TimesEvent::Repaired, TimesEvent::Hung, TimesEvent::Answering, TimesEvent::Hidden, TimesEvent::Shown,
        TimesEvent::Locked, TimesEvent::Unlocked, TimesEvent::Unfinished})
    EXPECT_EQ(ParseTimesEvent(TimesEventName(e)), e);
  EXPECT_EQ(FormatTimesLine(Record(TimesEvent::Hung, std::nullopt, "Bob - Conversation")),
            "2026-03-04T05:06:07.008Z,hung,,Bob - Conversation\r\n");
  EXPECT_STREQ(TimesEventName(TimesEvent::Answering), "answering");
  EXPECT_STREQ(TimesEventName(TimesEvent::Unlocked), "unlocked");
  EXPECT_STREQ(TimesEventName(TimesEvent::Hidden), "hidden");
  EXPECT_FALSE(ParseTimesEvent("Frame"));
}

TEST(TimesCsvParse, RoundTripTornAndMalformedLines) {
  const std::vector<TimesRecord> records{Record(TimesEvent::Start, std::nullopt,
                                                "Alice - Conversation, 王伟"),
                                         Record(TimesEvent::Frame, 0, "", {2026, 12, 31, 23, 59, 59, 999}),
                                         Record(TimesEvent::Lost, std::nullopt,
                                                "quote \" comma , CR \r LF \n CRLF \r\n end"),
                                         Record(TimesEvent::Frame, 32767, "\"")};
  std::string text = "\xEF\xBB\xBF" + std::string(kTimesCsvHeader) + "\r\n";
  for (const TimesRecord& r : records) text += FormatTimesLine(r);
  text += "\n";  // blank lines are no records
  const TimesCsvContents whole = ParseTimesCsv(text);
  EXPECT_TRUE(whole.header);
  EXPECT_EQ(whole.records, records);
  EXPECT_FALSE(whole.tornLastLine);
  EXPECT_EQ(whole.malformedLines, 0u);

  // Cut anywhere inside the last line (even inside its quotes): only that line is lost.
  const std::string last = FormatTimesLine(Record(TimesEvent::Stop, std::nullopt, "a,\r\nb"));
  for (std::size_t cut = 1; cut < last.size(); ++cut) {
    const TimesCsvContents torn = ParseTimesCsv(text + last.substr(0, cut));
    EXPECT_TRUE(torn.tornLastLine) << cut;
    EXPECT_EQ(torn.records, records) << cut;
  }
  const TimesCsvContents bad = ParseTimesCsv(text +
                                             "2026-03-04T05:06:07.008Z,fram\r\n"      // torn, then ended
                                             "2026-03-04T05:06:07.008Z,frame,x,\r\n"  // no number
                                             "2026-03-04T05:06:07.08Z,frame,1,\r\n"   // short time
                                             "2026-03-04T05:06:07.008Z,frame,1,\"a\"b\r\n");  // after quote
  EXPECT_EQ(bad.records, records);
  EXPECT_EQ(bad.malformedLines, 4u);
  EXPECT_FALSE(ParseTimesCsv("2026-03-04T05:06:07.008Z,start,,\r\n").header);
}

TEST(TimesCsvWriter, CreatesThenAppendsUnderOneHeader) {
  const std::string path = FreshPath("times 王伟.csv");
  TimesCsvWriter writer;
  EXPECT_FALSE(writer.Write(Record(TimesEvent::Start, std::nullopt, "")));  // not open
  ASSERT_TRUE(writer.Open(path));
  ASSERT_TRUE(writer.Write(Record(TimesEvent::Start, std::nullopt, "x")));
  // Each line is in the file as soon as it is written, before any close.
  EXPECT_EQ(ReadAll(path), "time_utc,event,frame,detail\r\n2026-03-04T05:06:07.008Z,start,,x\r\n");
  writer.Close();

  ASSERT_TRUE(writer.Open(path));  // a later session of the same folder
  ASSERT_TRUE(writer.Write(Record(TimesEvent::Frame, 7, "")));
  writer.Close();
  const TimesCsvContents contents = ParseTimesCsv(ReadAll(path));
  EXPECT_TRUE(contents.header);
  EXPECT_EQ(contents.records.size(), 2u);
  EXPECT_EQ(ReadAll(path).find("time_utc", 1), std::string::npos);
}

TEST(TimesCsvWriter, EndsATornLineAndRefusesOtherFiles) {
  const std::string path = FreshPath("times_torn.csv");
  struct Torn {
    const char* tail;
    std::size_t records, malformed;
  };
  for (const Torn torn : {Torn{"2026-03-0", 1, 1}, Torn{"2026-03-04T05:06:07.008Z,frame,9,\r", 2, 0},
                          Torn{"2026-03-04T05:06:07.008Z,halt,,\"disk, 5\r\n\"\"MB", 2, 0}}) {
    WriteAll(path, std::string(kTimesCsvHeader) + "\r\n2026-03-04T05:06:07.008Z,frame,1,\r\n" + torn.tail);
    TimesCsvWriter writer;
    ASSERT_TRUE(writer.Open(path));
    ASSERT_TRUE(writer.Write(Record(TimesEvent::Frame, 2, "")));
    writer.Close();
    const TimesCsvContents contents = ParseTimesCsv(ReadAll(path));
    ASSERT_EQ(contents.records.size(), torn.records + 1) << torn.tail;
    EXPECT_EQ(contents.records.back().frame, 2) << torn.tail;
    EXPECT_EQ(contents.malformedLines, torn.malformed) << torn.tail;
    EXPECT_FALSE(contents.tornLastLine);
  }

  TimesCsvWriter writer;
  const std::string other = FreshPath("times_other.csv");
  WriteAll(other, "name,value\r\n");
  EXPECT_FALSE(writer.Open(other));
  EXPECT_FALSE(writer.IsOpen());
  EXPECT_EQ(ReadAll(other), "name,value\r\n");
  EXPECT_FALSE(writer.Open(::testing::TempDir() + "no such folder/times.csv"));
}

}  // namespace
}  // namespace lumavex
