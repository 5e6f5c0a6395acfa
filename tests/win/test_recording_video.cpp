// "Save into a video" through the recorder, at 0.2 s with 5-second files, on
// the test's clock: files named by their first frame, a frame's packet
// byte for byte its JPG file, held slots and a gap of more than 10 slots,
// video only with both boxes off; and the repair of an unended recording
// at the next Start. The recordings are left in video-check/ beside this
// program for tests/tools/check_recording_video.py, which reads them with
// ffprobe and ffmpeg against times.csv.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "avi/mjpeg_avi_repair.h"
#include "avi/mjpeg_avi_writer.h"
#include "base/file.h"
#include "base/utf8.h"
#include "platform/files.h"
#include "recording/times_csv.h"
#include "recording/win32/recorder.h"
#include "writeavi/win32/frame_folder.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

using Bytes = std::vector<std::uint8_t>;

class NoView : public RecorderView {
 public:
  void ShowFrame(const Picture&) override {}
  void ShowWaiting(const std::string&) override {}
};

std::string CheckFolder() { return test::TestBinFolder() + "\\video-check"; }

Bytes FileBytes(const std::string& path) {
  Bytes bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

AviChunkScan Scan(const std::string& path) {
  UniqueStdFile file(OpenFileUtf8(path, "rb"));
  return file ? ScanMjpegAvi(file.get()) : AviChunkScan{"cannot be opened"};
}

// The slots of a video, "-" for a held one, each picture as the number of
// the frame whose JPG file holds the same bytes: the frames from
// `firstFrame` on, in order ("?" for a packet that is not its frame's).
std::string SlotsAsFrames(const std::string& video, const std::string& folder, int firstFrame) {
  const AviChunkScan scan = Scan(video);
  UniqueStdFile file(OpenFileUtf8(video, "rb"));
  std::string said;
  int frame = firstFrame;
  for (const AviChunkScan::Slot& slot : scan.slots) {
    if (slot.size == 0) {
      said += "- ";
      continue;
    }
    Bytes packet(slot.size);
    SeekFile(file.get(), slot.dataAt);
    std::fread(packet.data(), 1, packet.size(), file.get());
    char name[32];
    std::snprintf(name, sizeof name, "\\Alice%07d.jpg", frame);
    said += (FileBytes(folder + name) == packet ? std::to_string(frame) : "?") + " ";
    ++frame;
  }
  return said;
}

class RecordingVideo : public test::DemoRecordingTest {
 protected:
  static void SetUpTestSuite() { OpenDemo("\"Alice\" --pos 60 60", "Alice - Conversation"); }

  RecorderOptions Options(const std::string& saveFolder) const {
    RecorderOptions options;
    options.row = WebcamRow{true, "Alice - Conversation", demo_->hwnd()};
    options.jpg = true;
    options.bmp = false;
    options.stamp = true;  // every picture differs
    options.video = true;
    options.intervalMs = 200;
    options.segmentSeconds = 5;
    options.saveFolder = saveFolder;
    return options;
  }
  // One tick `slots` slots after the last one was due (1: on schedule).
  void TickAfter(const RecorderOptions& options, int slots = 1) {
    const std::int64_t due = recorder_.State().NextDueMs().value_or(clock_.now());
    clock_.Set(std::max(clock_.now(), due + std::int64_t{200} * (slots - 1)));
    EXPECT_FALSE(recorder_.Tick(options));
  }
  std::string Folder(const std::string& save) const {
    return save + "\\" + recorder_.State().RecordingFolder();
  }

  test::ManualClock clock_;
  NoView view_;
  Recorder recorder_{view_};
};

TEST_F(RecordingVideo, FilesByFirstFrameHeldSlotsGapsAndPacketsEqualToTheJpgFiles) {
  const std::string save = CheckFolder() + "\\with-jpg";
  test::RemoveTree(save);
  ASSERT_TRUE(MakeDirectory(CheckFolder()) || DirectoryExists(CheckFolder()));
  ASSERT_TRUE(MakeDirectory(save));
  const RecorderOptions options = Options(save);
  ASSERT_FALSE(recorder_.Start(options));
  // Slots 0-9: frames 0-9. Slot 13: frame 10, after 3 missed (held).
  for (int i = 0; i < 10; ++i) TickAfter(options);
  TickAfter(options, 4);
  // Slots 14-24: frames 11-21; slot 25 (frame 22) begins the next 5 s.
  for (int i = 0; i < 15; ++i) TickAfter(options);
  // 11 missed slots: frame 26 begins a file.
  TickAfter(options, 12);
  TickAfter(options);
  recorder_.Stop();
  const std::string folder = Folder(save);
  const std::vector<std::string> files = test::FramesIn(folder);
  std::vector<std::string> videos;
  for (const std::string& name : files)
    if (name.size() > 4 && name.substr(name.size() - 4) == ".avi") videos.push_back(name);
  EXPECT_EQ(videos, (std::vector<std::string>{"Alice0000000.avi", "Alice0000022.avi", "Alice0000026.avi"}));
  EXPECT_EQ(files.size(), 28u + 3u);
  // Write Avi lists the JPG frames only: the videos never feed a conversion.
  EXPECT_EQ(ListFrameFolder(folder).size(), 28u);
  EXPECT_EQ(SlotsAsFrames(folder + "\\Alice0000000.avi", folder, 0),
            "0 1 2 3 4 5 6 7 8 9 - - - 10 11 12 13 14 15 16 17 18 19 20 21 ");
  EXPECT_EQ(SlotsAsFrames(folder + "\\Alice0000022.avi", folder, 22), "22 23 24 25 ");
  EXPECT_EQ(SlotsAsFrames(folder + "\\Alice0000026.avi", folder, 26), "26 27 ");
  for (const std::string& video : videos) {
    const AviChunkScan scan = Scan(folder + "\\" + video);
    EXPECT_TRUE(scan.finished) << video;
    EXPECT_EQ(scan.rate, 5u);
    EXPECT_EQ(scan.scale, 1u);
  }
}

TEST_F(RecordingVideo, VideoOnlyWithBothBoxesOffCountsAndLogsEveryFrame) {
  const std::string save = CheckFolder() + "\\video-only";
  test::RemoveTree(save);
  ASSERT_TRUE(MakeDirectory(CheckFolder()) || DirectoryExists(CheckFolder()));
  ASSERT_TRUE(MakeDirectory(save));
  RecorderOptions options = Options(save);
  options.jpg = false;
  ASSERT_FALSE(recorder_.Start(options));
  for (int i = 0; i < 6; ++i) TickAfter(options);
  TickAfter(options, 3);
  recorder_.Stop();
  EXPECT_EQ(recorder_.State().LastFrame(), 6);
  const std::string folder = Folder(save);
  EXPECT_EQ(test::FramesIn(folder), std::vector<std::string>{"Alice0000000.avi"});
  const AviChunkScan scan = Scan(folder + "\\Alice0000000.avi");
  EXPECT_EQ(scan.frames, 7u);
  EXPECT_EQ(scan.slots.size(), 9u);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(folder + "\\times.csv", bytes));
  const TimesCsvContents times = ParseTimesCsv(std::string(bytes.begin(), bytes.end()));
  int frameLines = 0;
  for (const TimesRecord& record : times.records) frameLines += record.event == TimesEvent::Frame;
  EXPECT_EQ(frameLines, 7);
}

// What a killed recording leaves: times.csv without its end, and a video
// whose index stops at its last refresh while whole frames follow.
void WriteKilledRecording(const std::string& folder, int frames, const std::string& logEnd) {
  ASSERT_TRUE(MakeDirectory(folder));
  UniqueStdFile times(OpenFileUtf8(folder + "\\times.csv", "wb"));
  std::string log =
      "time_utc,event,frame,detail\r\n2026-12-09T10:00:00.000Z,start,,interval_ms=200\r\n" + logEnd;
  std::fwrite(log.data(), 1, log.size(), times.get());
  times.reset();
  UniqueStdFile stream(OpenNewSoleWriterUtf8(folder + "\\Bob0000000.avi"));
  OutputFile out(stream.get());
  MjpegAviSettings settings{163, 123, 5, std::uint64_t{1} << 30, 1, 10};
  MjpegAviWriter writer(out, settings);
  ASSERT_TRUE(writer.Start());
  const Bytes picture = FileBytes(test::TestBinFolder() + "\\video-check\\with-jpg-frame.jpg");
  for (int i = 0; i < frames; ++i) ASSERT_TRUE(writer.AddFrame(picture.data(), picture.size()));
  ASSERT_TRUE(out.Flush());  // no Finish: killed
}

TEST_F(RecordingVideo, TheNextStartRepairsWhatARecordingLeftUnended) {
  const std::string save = CheckFolder() + "\\unended";
  test::RemoveTree(save);
  ASSERT_TRUE(MakeDirectory(CheckFolder()) || DirectoryExists(CheckFolder()));
  ASSERT_TRUE(MakeDirectory(save));
  // A picture to fill the videos with: one frame of a short recording.
  {
    RecorderOptions options = Options(save);
    options.video = false;
    ASSERT_FALSE(recorder_.Start(options));
    TickAfter(options);
    recorder_.Stop();
    ASSERT_TRUE(::CopyFileW(Widen(Folder(save) + "\\Alice0000000.jpg").c_str(),
                            Widen(CheckFolder() + "\\with-jpg-frame.jpg").c_str(), FALSE));
  }
  WriteKilledRecording(save + "\\killed", 23, "2026-12-09T10:00:00.100Z,frame,0,\r\n");
  WriteKilledRecording(save + "\\stopped", 23, "2026-12-09T10:00:09.000Z,stop,,\r\n");
  WriteKilledRecording(save + "\\live", 23, "2026-12-09T10:00:00.100Z,frame,0,\r\n");
  // Halted because its video's end could not be written.
  WriteKilledRecording(save + "\\unfinished", 23,
                       "2026-12-09T10:00:09.000Z,unfinished,,Bob0000000.avi\r\n"
                       "2026-12-09T10:00:09.000Z,halt,,Failed to save into the video:\r\n");
  EXPECT_EQ(Scan(save + "\\killed\\Bob0000000.avi").headerSlots, 20u);  // the last refresh's
  // Another Lumavex still writes the live one's log.
  UniqueStdFile liveLog(OpenFileUtf8(save + "\\live\\times.csv", "ab"));

  ASSERT_FALSE(recorder_.Start(Options(save)));
  recorder_.Stop();
  const AviChunkScan repaired = Scan(save + "\\killed\\Bob0000000.avi");
  EXPECT_TRUE(repaired.finished);
  EXPECT_EQ(repaired.frames, 23u);
  const AviChunkScan halted = Scan(save + "\\unfinished\\Bob0000000.avi");
  EXPECT_TRUE(halted.finished);
  EXPECT_EQ(halted.frames, 23u);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(save + "\\killed\\times.csv", bytes));
  const TimesCsvContents times = ParseTimesCsv(std::string(bytes.begin(), bytes.end()));
  ASSERT_FALSE(times.records.empty());
  EXPECT_EQ(times.records.back().event, TimesEvent::Repaired);
  EXPECT_EQ(times.records.back().detail, "Bob0000000.avi: 23 frames");
  // A recording that ended, and one still being written, are left alone.
  EXPECT_FALSE(Scan(save + "\\stopped\\Bob0000000.avi").finished);
  EXPECT_FALSE(Scan(save + "\\live\\Bob0000000.avi").finished);
  // Seen to once: the next Start finds it ended.
  ASSERT_FALSE(recorder_.Start(Options(save)));
  recorder_.Stop();
  ASSERT_TRUE(ReadWholeFile(save + "\\killed\\times.csv", bytes));
  EXPECT_EQ(ParseTimesCsv(std::string(bytes.begin(), bytes.end())).records.size(), times.records.size());
}

}  // namespace
}  // namespace lumavex
