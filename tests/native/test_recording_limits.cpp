// The recording's two limits: paths that Windows would refuse (long names are
// shortened, between characters, just enough) and a volume running out of
// space (recording stops while 64 MB are still free).
#include <gtest/gtest.h>

#include <string>

#include "recording/frame_naming.h"
#include "recording/path_limits.h"
#include "recording/recording_state.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

constexpr LocalTime kStart{2004, 3, 7, 14, 5, 9};
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

StartOutcome StartWith(RecordingState& s, const std::string& title, const std::string& savePath,
                       std::optional<std::uint64_t> freeBytes = kPlenty) {
  return s.StartRecording(true, title, kStart, EnglishLocaleNames(), SaveFolder{savePath, freeBytes});
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
    ASSERT_TRUE(out.started) << n;
    EXPECT_FALSE(out.message) << n;

    const std::string prefix = FolderPrefix(s);
    ASSERT_EQ(full.compare(0, prefix.size(), prefix), 0) << n;
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(prefix)), prefix) << "split character at " << n;
    const std::string jpg = s.FramePathsFor(save, title).jpg;
    EXPECT_EQ(jpg, save + "\\" + s.RecordingFolder() + "\\" + prefix + "0000000.jpg");
    EXPECT_LE(Utf16Length(s.RecordingFolderPath(save)), kWindowsFolderUnits) << n;
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
  EXPECT_FALSE(out.started);
  ASSERT_TRUE(out.message);
  EXPECT_EQ(*out.message,
            (UserMessage{"Could not create the recording folder:\r\n" + save + "\\Alice" + kStamp,
                         MessageIcon::Exclamation}));
  EXPECT_FALSE(s.Controls().timer1Enabled);
  EXPECT_TRUE(s.Controls().startEnabled);
}

TEST(LongNames, ASaveFolderTypedLongerDuringRecordingShortensTheFramesFurther) {
  RecordingState s;
  const std::string title = LongName() + " - Conversation";
  ASSERT_TRUE(StartWith(s, title, "C:\\rec").started);
  const std::string atStart = s.FramePathsFor("C:\\rec", title).jpg;
  const std::string longer = "C:\\" + std::string(60, 'x');
  const std::string jpg = s.FramePathsFor(longer, title).jpg;
  EXPECT_LT(jpg.size() - longer.size(), atStart.size() - 6);
  EXPECT_LE(Utf16Length(jpg + ".part"), kWindowsPathUnits);
  EXPECT_GE(Utf16Length(jpg + ".part"), kWindowsPathUnits - 1);  // a pair may not fit in the last unit
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(jpg)), jpg);
}

TEST(DiskReserve, StartRefusesBelow64MegabytesAndHaltsARunningRecording) {
  RecordingState s;
  const StartOutcome refused = StartWith(s, "Alice - Conversation", "C:\\rec", kReserve - 1);
  EXPECT_FALSE(refused.started);
  EXPECT_EQ(refused.message,
            (UserMessage{"The disk holding the recording folder has less than 64 MB free. Recording stopped.",
                         MessageIcon::Exclamation}));
  EXPECT_FALSE(s.Controls().timer1Enabled);
  EXPECT_EQ(s.RecordingFolder(), "");

  EXPECT_TRUE(StartWith(s, "Alice - Conversation", "C:\\rec", kReserve).started);
  EXPECT_TRUE(StartWith(s, "Alice - Conversation", "C:\\rec", std::nullopt).started);  // unknown: try
  // A double-click on a low disk while recording stops the recording too.
  EXPECT_FALSE(StartWith(s, "Alice - Conversation", "C:\\rec", 0).started);
  EXPECT_FALSE(s.Controls().timer1Enabled);
  EXPECT_FALSE(s.Controls().btstopEnabled);
  EXPECT_TRUE(s.Controls().startEnabled);
}

TEST(DiskReserve, TickHaltsBeforeCapturingAndKeepsTheNumber) {
  RecordingState s;
  ASSERT_TRUE(StartWith(s, "Alice - Conversation", "C:\\rec").started);
  for (std::uint64_t free : {kPlenty, kReserve}) {
    TickGuard guard(s);
    ASSERT_TRUE(s.BeginTick(true, free).capture);
    s.FrameWritten();
  }
  {
    TickGuard guard(s);
    const TickPlan plan = s.BeginTick(true, kReserve - 1);
    EXPECT_FALSE(plan.capture);
    EXPECT_EQ(
        plan.message,
        (UserMessage{"The disk holding the recording folder has less than 64 MB free. Recording stopped.",
                     MessageIcon::Exclamation}));
    s.FrameWritten();  // nothing was captured, so nothing counts
  }
  EXPECT_EQ(s.FrameCounter(), 2);
  EXPECT_EQ(s.Controls().text1, "1");
  EXPECT_FALSE(s.Controls().timer1Enabled);
  EXPECT_TRUE(s.Controls().startEnabled);
  EXPECT_TRUE(s.Controls().resetEnabled);
}

}  // namespace
}  // namespace lumavex
