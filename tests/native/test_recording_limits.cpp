// The recording's two limits: paths that Windows would refuse (long names are
// shortened, between characters, just enough, also for a taken name's
// suffix) and a volume running out of space (recording stops while 64 MB
// are still free, asking the volume only when that could be near).
#include <gtest/gtest.h>

#include <string>

#include "recording/frame_naming.h"
#include "recording/path_limits.h"
#include "recording/recording_state.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

constexpr CalendarTime kStart{2004, 3, 7, 14, 5, 9};
const std::string kStamp = "07_Mar_2004_02_05_09_PM";
constexpr std::uint64_t kPlenty = 1ull << 40;
// Windows' own limits, stated here rather than taken from the code under
// test: CreateDirectory takes 248 UTF-16 units and MAX_PATH is 260, each
// with its terminating NUL. The reserve is 64 MB.
constexpr std::size_t kWindowsFolderUnits = 247;
constexpr std::size_t kWindowsPathUnits = 259;
constexpr std::uint64_t kReserve = 64ull << 20;

// 250 characters mixing one-, two- and three-byte characters and pairs, so
// that any cut may fall next to (or inside) a pair.
std::string LongName() {
  const std::string pieces[] = {"a", "Ł", "王", "😀", "é"};
  std::string name;
  for (int i = 0; i < 250; ++i) name += pieces[i % 5];
  return name;
}

// Starts a recording and claims the plain folder name, unless refused.
StartOutcome StartWith(RecordingState& s, const std::string& title, const std::string& savePath,
                       std::optional<std::uint64_t> freeBytes = kPlenty, int intervalMs = 1000) {
  StartRequest request;
  request.intervalMs = intervalMs;
  request.hasSelectedRow = true;
  request.rowTitle = title;
  request.localTime = kStart;
  request.names = EnglishLocaleNames();
  request.save = SaveFolder{savePath, freeBytes};
  const StartOutcome out = s.StartRecording(request);
  if (out.kind == StartKind::NewRecording) s.FolderClaimed(1, RecordingMoment{});
  return out;
}

std::string FolderPrefix(const RecordingState& s) {
  const std::string& folder = s.RecordingFolder();
  return folder.substr(0, folder.size() - kStamp.size());
}

// For save folders of every length that can hold a recording: the folder
// and the longest frame path fit, the prefix is cut between characters and
// is as long as it can be, and the frames carry the folder's prefix.
TEST(LongNames, ShortenedJustEnoughAtACharacterBoundary) {
  const std::string title = LongName() + " - Conversation";
  const std::string full = FramePrefix(title);
  for (std::size_t n = 3; n <= 217; ++n) {
    const std::string save = "C:\\" + std::string(n - 3, 'd');
    RecordingState s;
    const StartOutcome out = StartWith(s, title, save);
    ASSERT_EQ(out.kind, StartKind::NewRecording) << n;
    EXPECT_FALSE(out.message) << n;

    const std::string prefix = FolderPrefix(s);
    ASSERT_EQ(full.compare(0, prefix.size(), prefix), 0) << n;
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(prefix)), prefix) << "split character at " << n;
    const std::string jpg = s.FramePathsFor().jpg;
    EXPECT_EQ(jpg, save + "\\" + s.RecordingFolder() + "\\" + prefix + "0000000.jpg");
    EXPECT_LE(Utf16Length(s.RecordingFolderPath()), kWindowsFolderUnits) << n;
    EXPECT_LE(Utf16Length(jpg + ".part"), kWindowsPathUnits) << n;

    // One more character would not have fitted.
    const std::string next(Utf8PrefixWithinUtf16(full, Utf16Length(prefix) + 2));
    const std::string longerFolder = save + "\\" + next + kStamp;
    EXPECT_TRUE(Utf16Length(longerFolder) > kWindowsFolderUnits ||
                Utf16Length(longerFolder + "\\" + next + "0000000.jpg.part") > kWindowsPathUnits)
        << n;
  }
}

TEST(LongNames, SaveFolderTooLongForAnyRecordingGivesTheFolderMessage) {
  RecordingState s;
  const std::string save = "C:\\" + std::string(230, 'd');
  const StartOutcome out = StartWith(s, "Alice - Conversation", save);
  EXPECT_EQ(out.kind, StartKind::Refused);
  ASSERT_TRUE(out.message);
  EXPECT_EQ(*out.message,
            (UserMessage{"Could not create the recording folder:\r\n" + save + "\\Alice" + kStamp,
                         MessageIcon::Exclamation}));
  EXPECT_FALSE(s.NextDueMs());
  EXPECT_EQ(s.Phase(), RecordingPhase::Idle);
}

// A taken name's suffix counts in the folder name: the prefix gives way to
// it, and every path of the suffixed folder still fits.
TEST(LongNames, TheSuffixOfATakenNameFitsWithinTheLimits) {
  const std::string title = LongName() + " - Conversation";
  for (const std::size_t n : {3, 60, 150, 200, 210}) {
    const std::string save = "C:\\" + std::string(n - 3, 'd');
    RecordingState s;
    StartRequest request;
    request.hasSelectedRow = true;
    request.rowTitle = title;
    request.localTime = kStart;
    request.names = EnglishLocaleNames();
    request.save = SaveFolder{save, kPlenty};
    ASSERT_EQ(s.StartRecording(request).kind, StartKind::NewRecording) << n;
    for (const int attempt : {2, 10, 999}) {
      const std::optional<std::string> name = s.FolderName(attempt);
      ASSERT_TRUE(name) << n << " " << attempt;
      const std::string suffix = "_" + std::to_string(attempt);
      ASSERT_EQ(name->substr(name->size() - suffix.size()), suffix);
      EXPECT_EQ(name->substr(name->size() - suffix.size() - kStamp.size(), kStamp.size()), kStamp);
      s.FolderClaimed(attempt, RecordingMoment{});
      const std::string jpg = s.FramePathsFor().jpg;
      EXPECT_LE(Utf16Length(s.RecordingFolderPath()), kWindowsFolderUnits) << n << " " << attempt;
      EXPECT_LE(Utf16Length(jpg + ".part"), kWindowsPathUnits) << n << " " << attempt;
      EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(jpg)), jpg);
      s.Stop(RecordingMoment{});
    }
  }
  // The plain name's frames just fit where a suffix no longer can: 217
  // units of save folder, the stamp, and an empty prefix twice.
  RecordingState tight;
  const std::string save = "C:\\" + std::string(214, 'd');
  ASSERT_EQ(StartWith(tight, "Conversation", save).kind, StartKind::NewRecording);
  EXPECT_TRUE(tight.FolderName(1));
  EXPECT_FALSE(tight.FolderName(2));
}

TEST(DiskReserve, StartRefusesBelow64MegabytesAndHaltsARunningRecording) {
  RecordingState s;
  const StartOutcome refused = StartWith(s, "Alice - Conversation", "C:\\rec", kReserve - 1);
  EXPECT_EQ(refused.kind, StartKind::Refused);
  EXPECT_EQ(refused.message,
            (UserMessage{"The disk holding the recording folder has less than 64 MB free. Recording stopped.",
                         MessageIcon::Exclamation}));
  EXPECT_FALSE(s.NextDueMs());
  EXPECT_EQ(s.RecordingFolder(), "");

  EXPECT_EQ(StartWith(s, "Alice - Conversation", "C:\\rec", kReserve).kind, StartKind::NewRecording);
  // Unknown: try.
  EXPECT_EQ(StartWith(s, "Alice - Conversation", "C:\\rec", std::nullopt).kind, StartKind::NewRecording);
  // A double-click on a low disk while recording stops the recording too.
  EXPECT_EQ(StartWith(s, "Alice - Conversation", "C:\\rec", 0).kind, StartKind::Refused);
  EXPECT_FALSE(s.Active());
  EXPECT_FALSE(s.NextDueMs());
  EXPECT_EQ(s.Phase(), RecordingPhase::Idle);
}

// Frames of `bytes` each, one a second, on a volume that has `free` bytes
// and loses what each frame writes; returns how often the volume was asked
// and how many frames were written before the recording halted (or `limit`).
struct DiskRun {
  int asked = 0;
  int frames = 0;
  std::uint64_t freeAtHalt = 0;
};
DiskRun RecordUntilHalt(std::uint64_t free, std::uint64_t bytes, int limit, int intervalMs = 1000) {
  RecordingState s;
  StartWith(s, "Alice - Conversation", "C:\\rec", free, intervalMs);
  DiskRun run;
  for (std::int64_t ms = 0; run.frames < limit; ms += intervalMs) {
    const RecordingMoment now{ms, CalendarTime{}};
    TickGuard guard(s);
    if (!s.BeginTick(true, now).due) break;
    if (s.BeforeCapture(now, [&] {
          ++run.asked;
          return std::optional<std::uint64_t>(free);
        })) {
      run.freeAtHalt = free;
      break;
    }
    free -= bytes;
    s.FrameWritten(now, bytes);
    ++run.frames;
  }
  return run;
}

TEST(DiskReserve, TheVolumeIsAskedOnlyWhenTheReserveCouldBeNear) {
  // Far from the reserve: asked once at Start, then every 10 s for what
  // other programs write, not once a frame.
  const DiskRun far = RecordUntilHalt(kPlenty, 10'000, 100, 100);
  EXPECT_EQ(far.frames, 100);
  EXPECT_EQ(far.asked, 0) << "10 s of frames at 0.1 s trust the answer given at Start";
  EXPECT_EQ(RecordUntilHalt(kPlenty, 10'000, 100).asked, 9);

  // Near it, every frame asks, and the recording halts at the first answer
  // below the reserve: at most one frame into it, every frame whole.
  const DiskRun near = RecordUntilHalt(kReserve + 3 * 1024 * 1024, 100'000, 1000);
  EXPECT_LE(near.frames, 32);
  EXPECT_LT(near.freeAtHalt, kReserve);
  EXPECT_GE(near.freeAtHalt, kReserve - 100'000);
  EXPECT_GE(near.asked, 10);
}

// A pause or a wait may last long enough for the volume to fill: the first
// frame after either asks again, however recent the last answer.
TEST(DiskReserve, TheFirstFrameAfterAPauseOrAWaitAsksAgain) {
  RecordingState s;
  StartWith(s, "Alice - Conversation", "C:\\rec", kPlenty);
  int asked = 0;
  auto frameAt = [&](std::int64_t ms) {
    const RecordingMoment now{ms, CalendarTime{}};
    TickGuard guard(s);
    if (!s.BeginTick(true, now).due) return;
    s.BeforeCapture(now, [&] {
      ++asked;
      return std::optional<std::uint64_t>(kPlenty);
    });
    s.FrameWritten(now, 5000);
  };
  frameAt(0);
  frameAt(1000);
  EXPECT_EQ(asked, 0);
  s.Pause(RecordingMoment{1500, CalendarTime{}});
  StartRequest resume;
  resume.hasSelectedRow = true;
  resume.at = RecordingMoment{1600, CalendarTime{}};
  ASSERT_EQ(s.StartRecording(resume).kind, StartKind::Resumed);
  frameAt(2100);
  EXPECT_EQ(asked, 1);
  {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, RecordingMoment{3100, CalendarTime{}}).due);
    s.WindowLost(RecordingMoment{3100, CalendarTime{}});
  }
  {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, RecordingMoment{4100, CalendarTime{}}).due);
    s.WindowBack(RecordingMoment{4100, CalendarTime{}});
  }
  frameAt(5100);
  EXPECT_EQ(asked, 2);
  frameAt(6100);
  EXPECT_EQ(asked, 2);
}

TEST(DiskReserve, TickHaltsBeforeCapturingAndKeepsTheNumber) {
  RecordingState s;
  ASSERT_EQ(StartWith(s, "Alice - Conversation", "C:\\rec").kind, StartKind::NewRecording);
  std::int64_t ms = 0;
  for (std::uint64_t free : {kPlenty, kReserve}) {
    const RecordingMoment now{ms += 20'000, CalendarTime{}};  // long enough apart to be asked each time
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, now).due);
    ASSERT_FALSE(s.BeforeCapture(now, [&] { return std::optional<std::uint64_t>(free); }));
    s.FrameWritten(now, 5000);
  }
  {
    const RecordingMoment now{ms += 20'000, CalendarTime{}};
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, now).due);
    const std::optional<UserMessage> message =
        s.BeforeCapture(now, [] { return std::optional<std::uint64_t>(kReserve - 1); });
    EXPECT_EQ(message, (UserMessage{"The disk holding the recording folder has less than 64 MB free. "
                                    "Recording stopped.",
                                    MessageIcon::Exclamation}));
    s.FrameWritten(now, 5000);  // nothing was captured, so nothing counts
  }
  EXPECT_EQ(s.FrameCounter(), 2);
  EXPECT_EQ(s.LastFrame(), 1);
  EXPECT_FALSE(s.NextDueMs());
  EXPECT_EQ(s.Phase(), RecordingPhase::Idle);
  EXPECT_TRUE(s.StartedOnce());
}

// While a sweep may still make room, a frame below the reserve is skipped,
// not written and not counted, and the recording goes on; the volume is
// asked again once files went. Without the hold it halts as before.
TEST(DiskReserve, HeldWhileRoomMayBeMadeThenGoesOnOrHalts) {
  RecordingState s;
  ASSERT_EQ(StartWith(s, "Alice - Conversation", "C:\\rec", kReserve + (1 << 19)).kind,
            StartKind::NewRecording);
  std::uint64_t free = kReserve - 1;
  int asked = 0;
  const auto tick = [&](std::int64_t ms) {
    const RecordingMoment now{ms, CalendarTime{}};
    TickGuard guard(s);
    EXPECT_TRUE(s.BeginTick(true, now).due);
    const std::optional<UserMessage> message = s.BeforeCapture(now, [&] {
      ++asked;
      return std::optional<std::uint64_t>(free);
    });
    if (!message && s.FrameCleared()) s.FrameWritten(now, 5000);
    return message;
  };
  s.HoldAtReserve(true);
  EXPECT_FALSE(tick(1000));
  EXPECT_FALSE(s.FrameCleared());
  EXPECT_EQ(s.FrameCounter(), 0);
  EXPECT_EQ(s.Phase(), RecordingPhase::Running);
  free = kPlenty;
  s.DiskChanged();
  EXPECT_FALSE(tick(2000));
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(s.FrameCounter(), 1);
  free = kReserve - 1;
  s.DiskChanged();
  s.HoldAtReserve(false);
  EXPECT_TRUE(tick(3000));
  EXPECT_EQ(s.Phase(), RecordingPhase::Idle);
  EXPECT_EQ(s.FrameCounter(), 1);
}

}  // namespace
}  // namespace lumavex
