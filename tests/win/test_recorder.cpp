// The recorder on its own, with no main window: driven by the options it is
// handed and reporting through its view, as the command line drives it.
// Every frame file takes one road (whole in a temporary, then moved into
// place), and how a recording ended is the recorder's to tell.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/file.h"
#include "platform/files.h"
#include "recording/win32/frame_outputs.h"
#include "recording/win32/recorder.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class ViewLog : public RecorderView {
 public:
  void ShowFrame(const Picture& picture) override { frames += picture ? 1 : 0; }
  void ShowWaiting(const std::string& title) override {
    if (waiting.empty() || waiting.back() != title) waiting.push_back(title);
  }
  int frames = 0;
  std::vector<std::string> waiting;  // each change
};

class RecorderAlone : public test::DemoRecordingTest {
 protected:
  static void SetUpTestSuite() { OpenDemo("\"Alice\" --still --pos 60 60", "Alice - Conversation"); }

  RecorderOptions Options() const {
    RecorderOptions options;
    options.row = WebcamRow{true, "Alice - Conversation", demo_->hwnd()};
    options.jpg = true;
    options.bmp = true;
    options.saveFolder = save_.path();
    return options;
  }
  // One tick when the next frame is due.
  std::optional<UserMessage> TickOnSchedule(const RecorderOptions& options) {
    if (const std::optional<std::int64_t> due = recorder_.State().NextDueMs())
      clock_.Set(std::max(clock_.now(), *due));
    return recorder_.Tick(options);
  }
  std::string Folder() const { return save_.path() + "\\" + recorder_.State().RecordingFolder(); }

  test::ManualClock clock_;
  ViewLog view_;
  Recorder recorder_{view_};
};

TEST_F(RecorderAlone, RecordsFromTheOptionsItIsHandedAndLeavesOnlyWholeFrames) {
  RecorderOptions options = Options();
  ASSERT_FALSE(recorder_.Start(options));
  EXPECT_EQ(recorder_.State().Phase(), RecordingPhase::Running);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(TickOnSchedule(options));
  // The boxes are read at every tick: the BMP is off from here on.
  options.bmp = false;
  EXPECT_FALSE(TickOnSchedule(options));
  recorder_.Stop();

  EXPECT_EQ(recorder_.State().LastEnd(), RecordingEnd::Stopped);
  EXPECT_EQ(view_.frames, 4);
  const std::vector<std::string> expected{"Alice0000000.bmp", "Alice0000000.jpg", "Alice0000001.bmp",
                                          "Alice0000001.jpg", "Alice0000002.bmp", "Alice0000002.jpg",
                                          "Alice0000003.jpg"};
  // No temporary beside the frames, and the scratch folder went with the end.
  EXPECT_EQ(test::FramesIn(Folder()), expected);
  EXPECT_TRUE(test::SubfoldersOf(Folder()).empty());
  for (const char* name : {"Alice0000000.bmp", "Alice0000002.jpg"})
    EXPECT_TRUE(test::ShowsDemoPane(Folder() + "\\" + name, 24)) << name;
}

TEST_F(RecorderAlone, AFrameThatCannotBeWrittenHaltsWithItsReasonAndLeavesNoTemporary) {
  const RecorderOptions options = Options();
  ASSERT_FALSE(recorder_.Start(options));
  // A folder where the first BMP frame should go: the move into place fails.
  const std::string blocked = Folder() + "\\Alice0000000.bmp";
  ASSERT_TRUE(MakeDirectory(blocked));
  const std::optional<UserMessage> said = TickOnSchedule(options);
  ASSERT_TRUE(said);
  EXPECT_EQ(said->text, "Failed to save to BMP:\r\n" + blocked);
  EXPECT_EQ(recorder_.State().LastEnd(), RecordingEnd::Halted);
  EXPECT_EQ(recorder_.State().Phase(), RecordingPhase::Idle);
  EXPECT_FALSE(recorder_.State().NextDueMs());
  // The scratch folder could go: its temporary did not stay behind.
  EXPECT_EQ(test::SubfoldersOf(Folder()), (std::vector<std::string>{"Alice0000000.bmp"}));
  EXPECT_TRUE(test::FramesIn(Folder()).empty());
}

// Whether the system tells where an open file is after its folder moved, as
// Windows does (Wine gives the name it was opened by).
bool SystemFollowsMovedFolders(const std::string& under) {
  const std::string folder = under + "\\probe", moved = under + "\\probe moved";
  if (!MakeDirectory(folder)) return false;
  UniqueStdFile file(OpenFileUtf8(folder + "\\f.txt", "wb"));
  const bool followed = file && ::MoveFileW(Widen(folder).c_str(), Widen(moved).c_str()) &&
                        _wcsicmp(Widen(FolderOfOpenFile(file.get())).c_str(), Widen(moved).c_str()) == 0;
  file.reset();
  test::RemoveTree(PathExists(moved) ? moved : folder);
  return followed;
}

// Renamed in place, or moved into another folder as the Recycle Bin does:
// the halt names the folder as it was, its times.csv (which moved along)
// ends with that halt, and the scratch folder is gone from where it went.
TEST_F(RecorderAlone, AFolderThatGoesAwayIsNamedAndLeavesNoScratchFolder) {
  const bool followed = SystemFollowsMovedFolders(save_.path());
  if (!followed)
    RecordProperty("note", "the system does not follow moved folders: a scratch folder moved away stays");
  for (const bool intoAnother : {false, true}) {
    const RecorderOptions options = Options();
    ASSERT_FALSE(recorder_.Start(options));
    EXPECT_FALSE(TickOnSchedule(options));
    const std::string folder = Folder();
    ASSERT_EQ(test::SubfoldersOf(folder), (std::vector<std::string>{kScratchFolderName}));
    std::string movedTo = folder + " renamed";
    if (intoAnother) {
      ASSERT_TRUE(MakeDirectory(save_.path() + "\\bin"));
      movedTo = save_.path() + "\\bin\\" + recorder_.State().RecordingFolder();
    }
    ASSERT_TRUE(::MoveFileW(Widen(folder).c_str(), Widen(movedTo).c_str())) << ::GetLastError();

    const std::optional<UserMessage> said = TickOnSchedule(options);
    ASSERT_TRUE(said);
    EXPECT_EQ(said->text,
              "The recording folder is gone (removed or renamed):\r\n" + folder + "\r\nRecording stopped.");
    EXPECT_EQ(recorder_.State().LastEnd(), RecordingEnd::Halted);
    EXPECT_FALSE(PathExists(folder)) << "nothing made again at the old name";
    // A rename in place is found beside the old name by any system.
    if (!intoAnother || followed) EXPECT_TRUE(test::SubfoldersOf(movedTo).empty()) << movedTo;
    EXPECT_EQ(test::FramesIn(movedTo).size(), 2u) << "the frame before the move, JPG and BMP";
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(movedTo + "\\times.csv", bytes));
    const std::string times(bytes.begin(), bytes.end());
    EXPECT_NE(times.find(",halt,,The recording folder is gone (removed or renamed): " + folder +
                         " Recording stopped.\r\n"),
              std::string::npos)
        << times;
  }
}

// A new folder at the old name is someone else's: a recording whose folder
// was renamed leaves it alone, even an empty scratch folder of that name.
TEST_F(RecorderAlone, AFolderMadeAgainAtTheOldNameIsNotTouched) {
  const RecorderOptions options = Options();
  ASSERT_FALSE(recorder_.Start(options));
  EXPECT_FALSE(TickOnSchedule(options));
  const std::string folder = Folder();
  ASSERT_TRUE(::MoveFileW(Widen(folder).c_str(), Widen(folder + " renamed").c_str()));
  ASSERT_TRUE(MakeDirectory(folder));
  ASSERT_TRUE(MakeDirectory(folder + "\\" + kScratchFolderName));
  recorder_.Stop();
  EXPECT_TRUE(DirectoryExists(folder + "\\" + kScratchFolderName));
  EXPECT_TRUE(test::SubfoldersOf(folder + " renamed").empty());
}

TEST_F(RecorderAlone, AWindowThatIsGoneIsWaitedForAndTheViewIsToldOnce) {
  RecorderOptions options = Options();
  options.row = WebcamRow{true, "Nobody - Conversation", nullptr};
  ASSERT_FALSE(recorder_.Start(options));
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(TickOnSchedule(options));
  EXPECT_EQ(recorder_.State().Phase(), RecordingPhase::Waiting);
  EXPECT_EQ(view_.frames, 0);
  recorder_.Stop();
  // Start says "not waiting"; the first tick starts the wait, Stop ends it.
  EXPECT_EQ(view_.waiting, (std::vector<std::string>{"", "Nobody - Conversation", ""}));
  EXPECT_TRUE(test::FramesIn(Folder()).empty());
}

// The one road's temporary: in the scratch folder when there is one,
// beside the target otherwise; gone whether the file is placed or not.
TEST(FramePlacer, PlacesWholeFilesThroughOneTemporaryAndLeavesNoneBehind) {
  test::TempFolder folder;
  const std::string scratch = folder.path() + "\\~tmp";
  ASSERT_TRUE(MakeDirectory(scratch));
  const std::string target = folder.path() + "\\f0000001.jpg";
  const char first[] = "first", second[] = "second!";

  FramePlacer beside("f.jpg");
  ASSERT_TRUE(beside.Place(target, {{first, 5}}));
  FramePlacer inScratch("f.jpg");
  inScratch.UseScratchFolder(scratch);
  // An old file of that name is replaced whole.
  ASSERT_TRUE(inScratch.Place(target, {{second, 7}}));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(target, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "second!");
  EXPECT_EQ(test::FilesIn(folder.path()), (std::vector<std::string>{"f0000001.jpg"}));
  EXPECT_TRUE(test::FilesIn(scratch).empty());

  // Into a folder that is gone: refused, and nothing stays anywhere.
  const std::string gone = folder.path() + "\\gone\\f0000002.jpg";
  EXPECT_FALSE(beside.Place(gone, {{first, 5}}));
  EXPECT_FALSE(inScratch.Place(gone, {{first, 5}}));
  EXPECT_TRUE(test::FilesIn(scratch).empty());
  EXPECT_EQ(test::FilesIn(folder.path()), (std::vector<std::string>{"f0000001.jpg"}));
}

}  // namespace
}  // namespace lumavex
