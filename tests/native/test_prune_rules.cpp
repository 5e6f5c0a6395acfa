// Which recordings, and which of the open recording's files, go when the
// user's limits ask for room; how a folder is known as a recording; when a
// sweep is due.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording/frame_naming.h"
#include "recording/prune_plan.h"
#include "recording/prune_schedule.h"
#include "recording/recording_folder_facts.h"
#include "recording/recording_members.h"
#include "recording/recording_settings.h"
#include "recording/timestamp.h"

namespace lumavex {
namespace {

constexpr std::int64_t kDay = 86'400'000;
constexpr std::int64_t kNow = 1'800'000'000'000;
constexpr std::uint64_t kMb = 1 << 20;
constexpr std::uint64_t kPlentyFree = 100ull << 30;

MemberFile Frame(std::int32_t number, std::uint64_t bytes, std::int64_t writtenMs, const char* ext = ".jpg") {
  std::string name = "Alice" + std::to_string(10'000'000 + number).substr(1) + ext;
  const RecordingMemberKind kind = std::string(ext) == ".bmp"   ? RecordingMemberKind::BmpFrame
                                   : std::string(ext) == ".avi" ? RecordingMemberKind::Video
                                                                : RecordingMemberKind::JpgFrame;
  return MemberFile{name, kind, number, bytes, writtenMs};
}

// A recording of `frames` frames of `frameBytes` each, with its times.csv
// and ~tmp, whose last line is `lastLineMs`.
RecordingOnDisk Recording(const std::string& name, std::int64_t lastLineMs, int frames,
                          std::uint64_t frameBytes) {
  RecordingOnDisk r;
  r.name = name;
  r.lastLineMs = lastLineMs;
  r.members.push_back(MemberFile{"times.csv", RecordingMemberKind::TimesCsv, -1, 1000, lastLineMs});
  for (int i = 0; i < frames; ++i)
    r.members.push_back(Frame(i, frameBytes, lastLineMs - (frames - i) * 1000));
  r.members.push_back(MemberFile{"~tmp", RecordingMemberKind::Scratch, -1, 0, lastLineMs});
  return r;
}

std::vector<std::string> Folders(const PrunePlan& plan) {
  std::vector<std::string> names;
  for (const PruneStep& step : plan.steps) names.push_back(step.folder + (step.whole ? "" : " (files)"));
  return names;
}

TEST(PruneAge, OlderRecordingsGoWholeAndTheBoundaryStays) {
  const std::vector<RecordingOnDisk> recordings{Recording("ten", kNow - 10 * kDay, 3, 100),
                                                Recording("eight", kNow - 8 * kDay, 3, 100),
                                                Recording("exactly seven", kNow - 7 * kDay, 3, 100),
                                                Recording("recent", kNow - kDay, 3, 100)};
  const PrunePlan plan = PlanPruning(recordings, KeepLimits{7, 0}, kNow, kPlentyFree);
  EXPECT_EQ(Folders(plan), (std::vector<std::string>{"ten", "eight"}));
  for (const PruneStep& step : plan.steps) {
    EXPECT_EQ(step.reason, PruneReason::Age);
    // times.csv last, so a sweep cut short leaves a folder still known as a recording.
    ASSERT_EQ(step.files.size(), 5u);
    EXPECT_EQ(step.files.back().kind, RecordingMemberKind::TimesCsv);
  }
  EXPECT_EQ(plan.totalAfter, 2u * (1000 + 300));
}

TEST(PruneAge, TheOpenRecordingLosesOnlyItsOldFramesAndNeverWhole) {
  RecordingOnDisk open = Recording("open", kNow - 20 * kDay, 0, 0);
  open.open = true;
  open.members.push_back(Frame(5, 10, kNow - 9 * kDay, ".bmp"));
  open.members.push_back(Frame(5, 10, kNow - 9 * kDay));
  open.members.push_back(Frame(4, 10, kNow - 9 * kDay - 1));
  open.members.push_back(Frame(6, 10, kNow - kDay));
  const PrunePlan plan = PlanPruning({open}, KeepLimits{7, 0}, kNow, kPlentyFree);
  ASSERT_EQ(plan.steps.size(), 1u);
  EXPECT_FALSE(plan.steps[0].whole);
  std::vector<std::string> names;
  for (const MemberFile& f : plan.steps[0].files) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"Alice0000004.jpg", "Alice0000005.bmp", "Alice0000005.jpg"}));
  EXPECT_EQ(PrunedDetail(plan.steps[0], KeepLimits{7, 0}), "frames 0000004-0000005; older than 7 days");
}

TEST(PruneBudget, OldestRecordingsFirstThenTheOpenOnesOldestFilesDownToNinetyPercent) {
  // 10 MB budget; each old recording holds 4 MB of frames.
  std::vector<RecordingOnDisk> recordings{Recording("b", kNow - 2 * kDay, 4, kMb),
                                          Recording("a", kNow - 3 * kDay, 4, kMb)};
  RecordingOnDisk open = Recording("open", kNow, 6, kMb);
  open.open = true;
  recordings.push_back(open);
  const KeepLimits limits{0, 10};
  const PrunePlan plan = PlanPruning(recordings, limits, kNow, kPlentyFree);
  // 14 MB + 3000 bytes: "a" (oldest) goes, then "b", leaving 6 MB of the open one.
  EXPECT_EQ(Folders(plan), (std::vector<std::string>{"a", "b"}));
  EXPECT_LE(plan.totalAfter, 9 * kMb);

  // Over it with the open recording alone: its oldest frames go until 90%,
  // and not one more.
  RecordingOnDisk big = Recording("open", kNow, 12, kMb);
  big.open = true;
  const PrunePlan own = PlanPruning({big}, limits, kNow, kPlentyFree);
  ASSERT_EQ(own.steps.size(), 1u);
  EXPECT_EQ(own.steps[0].reason, PruneReason::Budget);
  ASSERT_EQ(own.steps[0].files.size(), 4u);  // 12 MB + 1000 bytes down to 8 MB + 1000 bytes <= 9 MB
  EXPECT_EQ(own.steps[0].files.front().number, 0);
  EXPECT_EQ(own.steps[0].files.back().number, 3);
  EXPECT_EQ(PrunedDetail(own.steps[0], limits), "frames 0000000-0000003; disk budget 10 MB");
}

TEST(PruneBudget, AFramesJpgAndBmpGoTogether) {
  RecordingOnDisk open = Recording("open", kNow, 0, 0);
  open.open = true;
  for (std::int32_t n = 0; n < 3; ++n) {
    open.members.push_back(Frame(n, 3 * kMb, kNow - 10 + n, ".bmp"));
    open.members.push_back(Frame(n, kMb / 4, kNow - 10 + n + 1));  // the JPG comes a little later
  }
  // 9.75 MB and a little against a 9 MB budget: frame 0's BMP alone would
  // bring it under 90%; its JPG goes with it.
  const PrunePlan plan = PlanPruning({open}, KeepLimits{0, 9}, kNow, kPlentyFree);
  ASSERT_EQ(plan.steps.size(), 1u);
  ASSERT_EQ(plan.steps[0].files.size(), 2u);
  EXPECT_EQ(plan.steps[0].files[0].name, "Alice0000000.bmp");
  EXPECT_EQ(plan.steps[0].files[1].name, "Alice0000000.jpg");
  EXPECT_EQ(PrunedDetail(plan.steps[0], KeepLimits{0, 9}), "frame 0000000; disk budget 9 MB");
}

TEST(PruneLimits, WithNeitherLimitNothingGoesEvenNearTheReserve) {
  const PrunePlan plan =
      PlanPruning({Recording("a", kNow - 300 * kDay, 4, kMb)}, KeepLimits{}, kNow, 1 * kMb);
  EXPECT_TRUE(plan.steps.empty());
  EXPECT_FALSE(plan.reserveExhausted);
}

TEST(PruneInUse, AFolderBeingConvertedIsCountedButNeverTouched) {
  RecordingOnDisk converting = Recording("converting", kNow - 30 * kDay, 8, kMb);
  converting.inUse = true;
  RecordingOnDisk open = Recording("open", kNow, 8, kMb);
  open.open = true;
  const PrunePlan plan = PlanPruning({converting, Recording("newer", kNow - 20 * kDay, 1, kMb), open},
                                     KeepLimits{7, 10}, kNow, kPlentyFree);
  // The converting folder is the oldest and over both limits: it stays, and
  // its bytes make the open recording give more.
  for (const PruneStep& step : plan.steps) EXPECT_NE(step.folder, "converting");
  EXPECT_EQ(Folders(plan), (std::vector<std::string>{"newer", "open (files)"}));
  EXPECT_LE(plan.totalAfter, 9 * kMb);
}

TEST(PruneReserve, FreesUpToItsGoalAndSaysWhenNothingMoreMayGo) {
  const std::vector<RecordingOnDisk> recordings{Recording("old", kNow - 2 * kDay, 80, kMb),
                                                Recording("older", kNow - 3 * kDay, 80, kMb)};
  const KeepLimits limits{30, 0};
  // 120 MB free, below 128 MB: the oldest brings it past the 192 MB goal.
  const PrunePlan one = PlanPruning(recordings, limits, kNow, 120 * kMb);
  EXPECT_EQ(Folders(one), (std::vector<std::string>{"older"}));
  EXPECT_EQ(one.steps[0].reason, PruneReason::Reserve);
  EXPECT_FALSE(one.reserveExhausted);
  EXPECT_EQ(PrunedDetail(one.steps[0], limits), "older; disk reserve");
  // 100 MB free needs both.
  EXPECT_EQ(Folders(PlanPruning(recordings, limits, kNow, 100 * kMb)),
            (std::vector<std::string>{"older", "old"}));
  // With room to spare above 128 MB nothing goes for the reserve.
  EXPECT_TRUE(PlanPruning(recordings, limits, kNow, 128 * kMb).steps.empty());
  // Everything that may go is not enough: the recording will halt at the reserve.
  EXPECT_TRUE(PlanPruning(recordings, limits, kNow, 10 * kMb).reserveExhausted);
}

std::string Log(const std::string& lines) { return "time_utc,event,frame,detail\r\n" + lines; }

TEST(RecordingLogFacts, AHeaderAndAStartLineMakeARecordingAgedByItsLastWholeLine) {
  const std::string text =
      Log("2026-12-01T10:00:00.000Z,start,,\"interval_ms=1000; window=Alice; Bob - Conversation\"\r\n"
          "2026-12-01T10:00:01.000Z,frame,0,\r\n"
          "2026-12-02T11:00:00.000Z,stop,,\r\n"
          "2026-12-09T11:00:00.000Z,fra");  // torn: no age of its own
  const RecordingLogFacts facts = ReadRecordingLogFacts(text, text, true);
  EXPECT_TRUE(facts.recording);
  EXPECT_EQ(facts.title, "Alice; Bob - Conversation");
  EXPECT_EQ(facts.lastLineMs, UtcMilliseconds(CalendarTime{2026, 12, 2, 11, 0, 0, 0}));

  // A tail cut inside a line: its first, partial line is not taken.
  const std::string tail = "00:00.000Z,frame,1,\r\n2026-12-03T00:00:00.500Z,frame,2,\r\n";
  EXPECT_EQ(ReadRecordingLogFacts(text, tail, false).lastLineMs,
            UtcMilliseconds(CalendarTime{2026, 12, 3, 0, 0, 0, 500}));

  // The repair a later Start wrote does not make the recording young.
  const std::string repaired =
      Log("2026-12-01T10:00:00.000Z,start,,interval_ms=1000; window=A - Conversation\r\n"
          "2026-12-01T10:00:01.000Z,frame,0,\r\n"
          "2026-12-09T08:00:00.000Z,repaired,,A0000000.avi: 1 frames\r\n");
  EXPECT_EQ(ReadRecordingLogFacts(repaired, repaired, true).lastLineMs,
            UtcMilliseconds(CalendarTime{2026, 12, 1, 10, 0, 1, 0}));
}

TEST(RecordingLogFacts, NoHeaderFirstOrNoStartIsNoRecording) {
  const std::string start = "2026-12-01T10:00:00.000Z,start,,interval_ms=1000; window=A\r\n";
  const std::string notFirst = "notes\r\n" + Log(start);
  EXPECT_FALSE(ReadRecordingLogFacts(notFirst, notFirst, true).recording);
  const std::string noStart = Log("2026-12-01T10:00:01.000Z,frame,0,\r\n");
  EXPECT_FALSE(ReadRecordingLogFacts(noStart, noStart, true).recording);
  EXPECT_FALSE(ReadRecordingLogFacts("", "", true).recording);
}

TEST(RecordingPrefix, TheLongestStartOfTheTitlesPrefixThatFilesCarry) {
  // A prefix shortened for a long path is still the recording's; the user's
  // numbered file with a shorter start is not, once the longer one is there.
  EXPECT_EQ(RecordingPrefixAmong({"Ali0000000.jpg", "A0000001.jpg", "notes.txt"}, "Alice - Conversation"),
            "Ali");
  EXPECT_EQ(RecordingPrefixAmong({"Bob0000000.jpg"}, "Alice - Conversation"),
            FramePrefix("Alice - Conversation"));
  const std::string full = FramePrefix("Alice - Conversation");
  EXPECT_EQ(ClassifyRecordingEntry("A0000001.jpg", false,
                                   RecordingPrefixAmong({full + "0000000.jpg", "A0000001.jpg"},
                                                        "Alice - Conversation"))
                .kind,
            RecordingMemberKind::None);
}

TEST(PruneSchedule, DueAtStartEveryMinuteForDaysAndWhenTheBudgetCouldBeCrossed) {
  PruneSchedule schedule;
  const KeepLimits days{7, 0};
  EXPECT_FALSE(schedule.Due(0, KeepLimits{}, 1 * kMb));  // nothing chosen: never
  EXPECT_TRUE(schedule.Due(0, days, std::nullopt));
  schedule.SweepStarted(0);
  schedule.SweepDone(0, false);
  EXPECT_FALSE(schedule.Due(kKeepDaysSweepMs - 1, days, std::nullopt));
  EXPECT_TRUE(schedule.Due(kKeepDaysSweepMs, days, std::nullopt));

  const KeepLimits budget{0, 10};
  schedule.SweepStarted(0);
  schedule.SweepDone(9 * kMb, false);
  schedule.Written(kMb / 2);
  EXPECT_FALSE(schedule.Due(10 * kKeepDaysSweepMs, budget, std::nullopt));
  schedule.Written(kMb / 2);  // the next frame of that size would cross it
  EXPECT_TRUE(schedule.Due(0, budget, std::nullopt));
}

TEST(PruneSchedule, NearTheReserveUntilNothingMoreMayGo) {
  PruneSchedule schedule;
  const KeepLimits days{7, 0};
  schedule.SweepStarted(0);
  schedule.SweepDone(0, false);
  EXPECT_FALSE(schedule.Due(1, days, kReserveSweepBelowBytes));
  EXPECT_TRUE(schedule.Due(1, days, kReserveSweepBelowBytes - 1));
  schedule.SweepStarted(1);
  schedule.SweepDone(0, true);
  EXPECT_FALSE(schedule.Due(2, days, kDiskReserveBytes - 1));
}

TEST(KeepSettings, InRangeValuesAreUsedAsTheyStandAndWrittenOnceChosen) {
  const RecordingSettings s = ParseRecordingSettings("[Recording]\nKeepDays=3650\nKeepMegabytes=1500\n");
  EXPECT_EQ(s.keepDays, 3650);
  EXPECT_EQ(s.keepMegabytes, 1500);
  const RecordingSettings out =
      ParseRecordingSettings("[Recording]\nKeepDays=3651\nKeepMegabytes=100000001\n");
  EXPECT_EQ(out.keepDays, 0);
  EXPECT_EQ(out.keepMegabytes, 0);
  EXPECT_EQ(ParseRecordingSettings("[Recording]\nKeepMegabytes=100000000\n").keepMegabytes, 100'000'000);

  RecordingSettings chosen;
  chosen.keepDays = 7;
  EXPECT_EQ(UpdateRecordingSettings("", chosen),
            "[Recording]\r\nIntervalMs=1000\r\nStampTime=0\r\nVideo=0\r\nKeepDays=7\r\n");
  chosen.keepDays = 0;
  EXPECT_EQ(UpdateRecordingSettings("[Recording]\r\nKeepDays=7\r\n", chosen),
            "[Recording]\r\nKeepDays=0\r\nIntervalMs=1000\r\nStampTime=0\r\nVideo=0\r\n");
}

TEST(UtcMilliseconds, CountsFrom1970AcrossLeapDays) {
  EXPECT_EQ(UtcMilliseconds(CalendarTime{1970, 1, 1, 0, 0, 0, 0}), 0);
  EXPECT_EQ(UtcMilliseconds(CalendarTime{2000, 3, 1, 0, 0, 0, 0}), 951'868'800'000);
  EXPECT_EQ(UtcMilliseconds(CalendarTime{2026, 12, 9, 10, 0, 0, 250}), 1'796'810'400'250);
}

}  // namespace
}  // namespace lumavex
