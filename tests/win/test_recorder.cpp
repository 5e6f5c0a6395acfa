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
