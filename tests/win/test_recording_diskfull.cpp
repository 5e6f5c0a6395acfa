// Recording onto a volume that runs out of space. The recording stops while
// 64 MB are still free: a full volume refuses Start, and one with just over
// the reserve takes a few frames, every one whole, then halts with one
// message. The volumes are tmpfs mounts that ctest fixtures make (as root)
// and name in LUMAVEX_FULL_VOLUME and LUMAVEX_RESERVE_VOLUME; without them
// the tests skip and say why. A third, LUMAVEX_VIDEO_VOLUME, is filled
// behind a recording into a video, so that the video's end cannot be written.
#include <gtest/gtest.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "avi/mjpeg_avi_repair.h"
#include "recording/win32/recorder.h"
#include "recording/frame_naming.h"
#include "recording/recording_state.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "base/file.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class RecordingDiskFull : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    demo_ = std::make_unique<test::DemoWindow>("Fay --still --pos 60 60", "Fay - Conversation");
    ASSERT_TRUE(demo_->ok());
    SetSampleFilePath(samples_.path() + "\\lumavex_pixel.bmp");
  }
  void TearDown() override {
    form_.reset();
    demo_.reset();
    SetSampleFilePath(kSampleFilePath);
    ::OleUninitialize();
  }
  void OpenFormSavingTo(const std::string& volume) {
    form_ = test::OpenRecordingForm(volume);
    ASSERT_NE(form_, nullptr);
    ASSERT_TRUE(test::SelectRowOf(*form_, demo_->hwnd()));
  }

  test::TempFolder samples_;
  test::ManualClock clock_;
  test::MessageRecorder messages_;
  std::unique_ptr<test::DemoWindow> demo_;
  std::unique_ptr<Form1> form_;
};

TEST_F(RecordingDiskFull, StartRefusesOnAFullVolume) {
  std::string why;
  const std::string volume = test::FixtureVolume("LUMAVEX_FULL_VOLUME", why);
  if (volume.empty()) GTEST_SKIP() << why;
  OpenFormSavingTo(volume);

  ::SendMessageW(form_->Start, BM_CLICK, 0, 0);
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, kDiskLowMessage);
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(form_->Timer1.Running());
  EXPECT_TRUE(IsControlEnabled(form_->Start));
  EXPECT_FALSE(IsControlEnabled(form_->btstop));
  EXPECT_TRUE(test::SubfoldersOf(volume).empty());  // no recording folder was made
}

TEST_F(RecordingDiskFull, StopsAtTheReserveWithEveryFrameWhole) {
  std::string why;
  const std::string volume = test::FixtureVolume("LUMAVEX_RESERVE_VOLUME", why);
  if (volume.empty()) GTEST_SKIP() << why;
  OpenFormSavingTo(volume);
  SetChecked(form_->cbbmp, true);  // and JPG, checked from start-up

  const std::optional<std::uint64_t> freeBefore = FreeSpaceOfVolume(volume);
  ASSERT_TRUE(freeBefore);
  const std::uint64_t before = *freeBefore;
  ASSERT_GE(before, kDiskReserveBytes);
  ::SendMessageW(form_->Start, BM_CLICK, 0, 0);
  ASSERT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
  ASSERT_TRUE(form_->Timer1.Running());
  int ticks = 0;
  while (form_->Timer1.Running() && ticks < 100) {
    test::TickOnSchedule(*form_, clock_);
    ++ticks;
  }
  ASSERT_FALSE(form_->Timer1.Running()) << "the recording never stopped";
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, kDiskLowMessage);
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(IsControlEnabled(form_->Start));
  EXPECT_FALSE(IsControlEnabled(form_->pause));

  // Every tick but the last wrote one whole BMP and one whole JPG; nothing
  // else (no temporary) was left.
  const std::string folder = volume + "\\" + form_->recorder.State().RecordingFolder();
  const std::vector<std::string> files = test::FramesIn(folder);
  const int frames = ticks - 1;
  EXPECT_GE(frames, 1);
  EXPECT_LE(frames, 5) << "a few frames at most";
  ASSERT_EQ(static_cast<int>(files.size()), 2 * frames);
  for (int i = 0; i < frames; ++i) {
    EXPECT_EQ(files[2 * i], "Fay" + FrameNumberText(i) + ".bmp");
    EXPECT_EQ(files[2 * i + 1], "Fay" + FrameNumberText(i) + ".jpg");
    EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + files[2 * i], 0));
    EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + files[2 * i + 1], 24));
  }
  EXPECT_EQ(ControlText(form_->Text1), std::to_string(frames - 1));

  // Below the reserve by less than one frame (a BMP and a JPG).
  const std::optional<std::uint64_t> freeAfter = FreeSpaceOfVolume(volume);
  ASSERT_TRUE(freeAfter);
  const std::uint64_t after = *freeAfter;
  EXPECT_LT(after, kDiskReserveBytes);
  EXPECT_GT(after, kDiskReserveBytes - 100 * 1024);
  std::printf("%d frames, then %llu bytes free (%llu before)\n", frames,
              static_cast<unsigned long long>(after), static_cast<unsigned long long>(before));
}

// The volume fills while the recording waits for its window: when a window
// is back, the first frame asks the volume again, and the recording halts,
// its log saying why, with no frame written into the reserve.
TEST_F(RecordingDiskFull, AVolumeFilledWhileWaitingHaltsWhenTheWindowIsBack) {
  std::string why;
  const std::string volume = test::FixtureVolume("LUMAVEX_RESERVE_VOLUME", why);
  if (volume.empty()) GTEST_SKIP() << why;
  // Recordings of the tests before took the volume down to its reserve.
  for (const std::string& earlier : test::SubfoldersOf(volume)) test::RemoveTree(volume + "\\" + earlier);
  OpenFormSavingTo(volume);
  ::SendMessageW(form_->Start, BM_CLICK, 0, 0);
  ASSERT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
  test::TickOnSchedule(*form_, clock_);
  const std::string folder = volume + "\\" + form_->recorder.State().RecordingFolder();
  demo_->Close();
  test::TickOnSchedule(*form_, clock_);
  ASSERT_TRUE(form_->recorder.State().Waiting());

  const std::optional<std::uint64_t> free = FreeSpaceOfVolume(volume);
  ASSERT_TRUE(free);
  ASSERT_GE(*free, kDiskReserveBytes);
  const std::string filler = volume + "\\filler-while-waiting.bin";
  const std::vector<std::uint8_t> bytes(static_cast<std::size_t>(*free - kDiskReserveBytes + (1 << 20)));
  ASSERT_TRUE(WriteWholeFile(filler, {{bytes.data(), bytes.size()}}));
  demo_ = std::make_unique<test::DemoWindow>("Fay --still --pos 300 200", "Fay - Conversation");
  ASSERT_TRUE(demo_->ok());
  test::TickOnSchedule(*form_, clock_);

  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text, kDiskLowMessage);
  EXPECT_FALSE(form_->Timer1.Running());
  EXPECT_EQ(test::FramesIn(folder), (std::vector<std::string>{"Fay0000000.jpg"}));
  std::vector<std::uint8_t> log;
  ASSERT_TRUE(ReadWholeFile(folder + "\\times.csv", log));
  const TimesCsvContents times = ParseTimesCsv(std::string(log.begin(), log.end()));
  ASSERT_EQ(times.records.size(), 5u);
  EXPECT_EQ(times.records[3].event, TimesEvent::Back);
  EXPECT_EQ(times.records[4].event, TimesEvent::Halt);
  EXPECT_EQ(times.records[4].detail, kDiskLowMessage);
  RemoveFileUtf8(filler);
  form_.reset();
  test::RemoveTree(folder);
}

class NoView : public RecorderView {
 public:
  void ShowFrame(const Picture&) override {}
  void ShowWaiting(const std::string&) override {}
};

AviChunkScan ScanOf(const std::string& path) {
  UniqueStdFile file(OpenFileUtf8(path, "rb"));
  return file ? ScanMjpegAvi(file.get()) : AviChunkScan{"missing"};
}

// Writes to `path` until the volume takes no more.
void FillVolume(const std::string& path) {
  UniqueStdFile file(OpenFileUtf8(path, "wb"));
  ASSERT_TRUE(file);
  std::setvbuf(file.get(), nullptr, _IONBF, 0);
  const std::vector<char> block(4096, 'x');
  while (std::fwrite(block.data(), 1, block.size(), file.get()) == block.size()) {
  }
}

// The volume fills behind a recording into a video (another program did it),
// so the end of the video cannot be written at Stop: the recording halts
// with the message, and once there is room, the next Start repairs the
// video with every frame it was handed.
TEST_F(RecordingDiskFull, AVideoWhoseEndCannotBeWrittenHaltsAndIsRepairedAtTheNextStart) {
  std::string why;
  const std::string volume = test::FixtureVolume("LUMAVEX_VIDEO_VOLUME", why);
  if (volume.empty()) GTEST_SKIP() << why;
  NoView view;
  Recorder recorder(view);
  RecorderOptions options;
  options.row = WebcamRow{true, "Fay - Conversation", demo_->hwnd()};
  options.jpg = false;
  options.bmp = false;
  options.stamp = true;
  options.video = true;
  options.intervalMs = 100;
  options.saveFolder = volume;
  ASSERT_FALSE(recorder.Start(options));
  // Enough frames that the end (an index entry of 16 bytes each) needs more
  // than the last page of the file has left.
  constexpr int kFrames = 300;
  for (int i = 0; i < kFrames; ++i) {
    clock_.Set(std::max(clock_.now(), recorder.State().NextDueMs().value_or(clock_.now())));
    ASSERT_FALSE(recorder.Tick(options)) << "frame " << i;
  }
  const std::string folder = volume + "\\" + recorder.State().RecordingFolder();
  const std::string video = folder + "\\Fay0000000.avi";
  FillVolume(volume + "\\filler-behind.bin");

  const std::optional<UserMessage> message = recorder.Stop();
  ASSERT_TRUE(message);
  EXPECT_EQ(message->text, "Failed to save into the video:\r\n" + video);
  EXPECT_EQ(recorder.State().LastEnd(), RecordingEnd::Halted);
  EXPECT_FALSE(ScanOf(video).finished);

  ASSERT_EQ(RemoveFileUtf8(volume + "\\filler-behind.bin"), 0);
  ASSERT_FALSE(recorder.Start(options));
  EXPECT_FALSE(recorder.Stop());
  const AviChunkScan repaired = ScanOf(video);
  EXPECT_TRUE(repaired.finished);
  EXPECT_EQ(repaired.frames, static_cast<std::uint32_t>(kFrames));
}

}  // namespace
}  // namespace lumavex
