// A recording's videos: which file each frame goes into and how long the
// picture before it is held, the files as they are on the disk (named by
// their first frame, never over someone else's file), and whether a
// recording's log says it ended.
#include "recording/recording_video.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "avi/mjpeg_avi_repair.h"
#include "base/file.h"
#include "native/jpeg_test_support.h"
#include "native/mjpeg_test_frames.h"
#include "recording/frame_naming.h"
#include "recording/recording_end.h"
#include "recording/video_segments.h"

namespace lumavex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(VideoSegments, OneFrameAnIntervalInRateAndScale) {
  struct Case {
    int intervalMs;
    std::uint32_t rate, scale, refresh;
  };
  for (const Case& c :
       {Case{100, 10, 1, 50}, Case{200, 5, 1, 25}, Case{500, 2, 1, 10}, Case{1000, 1, 1, 5},
        Case{1500, 2, 3, 3}, Case{2000, 1, 2, 2}, Case{10000, 1, 10, 1}, Case{60000, 1, 60, 1}}) {
    const VideoSegments segments(c.intervalMs, 3600);
    EXPECT_EQ(segments.Rate(), c.rate) << c.intervalMs;
    EXPECT_EQ(segments.Scale(), c.scale) << c.intervalMs;
    // Refreshed at least every kVideoRefreshMs of frames.
    EXPECT_EQ(segments.RefreshSlots(), c.refresh) << c.intervalMs;
  }
  EXPECT_EQ(VideoSegments(200, 5).SegmentSlots(), 25);
  EXPECT_EQ(VideoSegments(60000, 5).SegmentSlots(), 1);
  EXPECT_EQ(VideoSegments(100, 86400).SegmentSlots(), 864000);
}

TEST(VideoSegments, FilesEndAtTheirLengthAfterLongGapsAndAtEnd) {
  VideoSegments segments(200, 5);  // 25 slots a file
  const auto step = [&](std::int64_t slot) {
    const VideoStep s = segments.Next(slot);
    return std::to_string(s.newFile) + ":" + std::to_string(s.held);
  };
  EXPECT_EQ(step(0), "1:0");
  EXPECT_EQ(step(1), "0:0");
  EXPECT_EQ(step(12), "0:10");  // 10 missed: held
  EXPECT_EQ(step(24), "1:0");   // 11 missed: a new file
  EXPECT_EQ(step(30), "0:5");
  segments.End();
  EXPECT_EQ(step(31), "1:0");  // after a pause or a stop
  // The file begun at 49 covers slots 49 to 73.
  VideoSegments exact(200, 5);
  exact.Next(49);
  for (std::int64_t slot = 50; slot < 74; ++slot) EXPECT_FALSE(exact.Next(slot).newFile) << slot;
  EXPECT_TRUE(exact.Next(74).newFile);
}

// Frames at slots, as a recording at 0.2 s with 5-second files gives them;
// each frame's number counts up, and a new file is named by it.
class VideoFolder {
 public:
  explicit VideoFolder(int segmentSeconds = 5) { video_.Begin(200, segmentSeconds); }
  bool Add(std::int64_t slot, std::string* problem = nullptr, bool reused = false) {
    VideoFrame frame;
    const Bytes& jpeg = Picture(number_);
    frame.jpeg = jpeg.data();
    frame.size = jpeg.size();
    frame.width = 163;
    frame.height = 123;
    frame.slot = slot;
    frame.videoPath = folder_.file("Alice" + FrameNumberText(number_) + ".avi");
    frame.numbersReused = reused;
    std::string why;
    std::uint64_t bytes = 0;
    const bool ok = video_.Add(frame, bytes, why);
    if (problem != nullptr) *problem = why;
    if (ok) ++number_;
    return ok;
  }
  static const Bytes& Picture(int number) {
    static std::vector<Bytes> made;
    while (static_cast<int>(made.size()) <= number)
      made.push_back(EncodeTestFrame(163, 123, static_cast<unsigned>(made.size()), 40));
    return made[static_cast<std::size_t>(number)];
  }
  AviChunkScan Scan(const std::string& name) const {
    UniqueStdFile file(std::fopen(folder_.file(name).c_str(), "rb"));
    return file ? ScanMjpegAvi(file.get()) : AviChunkScan{"missing"};
  }
  // Sizes of the slots, 0 for a held one.
  std::vector<std::uint32_t> Slots(const std::string& name) const {
    std::vector<std::uint32_t> sizes;
    for (const AviChunkScan::Slot& slot : Scan(name).slots) sizes.push_back(slot.size);
    return sizes;
  }
  std::vector<std::uint32_t> Sizes(std::initializer_list<int> numbers) const {
    std::vector<std::uint32_t> sizes;
    for (const int n : numbers) sizes.push_back(n < 0 ? 0 : static_cast<std::uint32_t>(Picture(n).size()));
    return sizes;
  }
  RecordingVideo& video() { return video_; }
  const ScratchFolder& folder() const { return folder_; }
  void SetNumber(int number) { number_ = number; }

 private:
  ScratchFolder folder_;
  RecordingVideo video_;
  int number_ = 0;
};

TEST(RecordingVideo, FilesNamedByTheirFirstFrameWithHeldSlotsAndGaps) {
  VideoFolder v;
  // Slots 0-24 make the first file (frames 0-21, slots 3-4 and 10-12 missed).
  for (const std::int64_t slot : {0, 1, 2, 5, 6, 7, 8, 9, 13}) ASSERT_TRUE(v.Add(slot));
  EXPECT_EQ(v.video().OpenPath(), v.folder().file("Alice0000000.avi"));
  // Written under its final name, readable as it stands.
  EXPECT_EQ(v.Scan("Alice0000000.avi").problem, "");
  ASSERT_TRUE(v.Add(25));  // frame 9: the next 5 seconds
  ASSERT_TRUE(v.Add(26));
  ASSERT_TRUE(v.Add(40));  // frame 11, after 13 missed slots
  ASSERT_TRUE(v.video().EndFile());
  ASSERT_TRUE(v.Add(41));  // after a pause: frame 12 begins a file
  ASSERT_TRUE(v.video().EndFile());

  EXPECT_EQ(v.Slots("Alice0000000.avi"), v.Sizes({0, 1, 2, -1, -1, 3, 4, 5, 6, 7, -1, -1, -1, 8}));
  EXPECT_EQ(v.Slots("Alice0000009.avi"), v.Sizes({9, 10}));
  EXPECT_EQ(v.Slots("Alice0000011.avi"), v.Sizes({11}));
  EXPECT_EQ(v.Slots("Alice0000012.avi"), v.Sizes({12}));
  for (const char* name : {"Alice0000000.avi", "Alice0000009.avi", "Alice0000011.avi"}) {
    const AviChunkScan scan = v.Scan(name);
    EXPECT_TRUE(scan.finished) << name;
    EXPECT_EQ(scan.rate, 5u);
    EXPECT_EQ(scan.scale, 1u);
  }
  EXPECT_EQ(v.folder().entries().size(), 4u);
}

TEST(RecordingVideo, NeverWritesOverAFileThatIsNotItsOwn) {
  VideoFolder v;
  const std::string inTheWay = v.folder().file("Alice0000000.avi");
  const Bytes theirs = {'m', 'i', 'n', 'e'};
  std::fwrite(theirs.data(), 1, theirs.size(), UniqueStdFile(std::fopen(inTheWay.c_str(), "wb")).get());
  std::string problem;
  EXPECT_FALSE(v.Add(0, &problem));
  EXPECT_EQ(problem, "Another file is in the way of the video:\r\n" + inTheWay);
  EXPECT_EQ(readFile(inTheWay), theirs);
  EXPECT_EQ(v.video().OpenPath(), "");
  // After a Reset the numbers are used again: the file of that name is the
  // recording's own from before, and goes.
  EXPECT_TRUE(v.Add(1, &problem, true));
  ASSERT_TRUE(v.video().EndFile());
  EXPECT_EQ(v.Slots("Alice0000000.avi"), v.Sizes({0}));
}

// A program killed mid-file (here a child that exits without ending its
// video): the file plays to its last refresh, and a repair finds every
// frame it was handed.
TEST(RecordingVideo, AKilledRecordingLeavesEveryFrameForTheRepair) {
  VideoFolder v(60);
  VideoFolder::Picture(40);  // made before the fork
  const pid_t child = fork();
  if (child == 0) {
    for (int i = 0; i < 40; ++i)
      if (!v.Add(i < 30 ? i : i + 2)) _exit(1);
    _exit(0);  // killed: nothing ends the file
  }
  int status = 0;
  ASSERT_TRUE(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
              WEXITSTATUS(status) == 0);
  const AviChunkScan killed = v.Scan("Alice0000000.avi");
  EXPECT_FALSE(killed.finished);
  EXPECT_EQ(killed.headerSlots, 25u);   // refreshed every 25 slots (5 s at 0.2 s)
  EXPECT_EQ(killed.slots.size(), 42u);  // 40 frames, slots 30 and 31 held
  const AviRepair repair = RepairMjpegAvi(v.folder().file("Alice0000000.avi"));
  EXPECT_TRUE(repair.ok) << repair.problem;
  EXPECT_EQ(repair.frames, 40u);
  EXPECT_EQ(repair.slots, 42u);
}

// A disk that fails the end of a file (here a file size limit, in a child so
// that the limit stays there): the file is named as unfinished and keeps
// every frame it was handed for the repair; at the end of a segment the
// next file is not begun; a file that got no frame is removed.
TEST(RecordingVideo, AFileWhoseEndCannotBeWrittenIsNamedAndRepairable) {
  VideoFolder v(5);
  VideoFolder::Picture(30);  // made before the fork
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    for (int slot = 0; slot < 20; ++slot)
      if (!v.Add(slot)) _exit(1);
    const long long size =
        static_cast<long long>(std::filesystem::file_size(v.folder().file("Alice0000000.avi")));
    const rlimit limit{static_cast<rlim_t>(size), static_cast<rlim_t>(size)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    std::string problem;
    if (v.Add(25, &problem)) _exit(3);  // the end of the first file fails
    if (problem != "Failed to save into the video:\r\n" + v.folder().file("Alice0000000.avi")) _exit(4);
    if (v.video().TakeUnfinished() != std::vector<std::string>{v.folder().file("Alice0000000.avi")}) _exit(5);
    if (!v.video().TakeUnfinished().empty() || !v.video().OpenPath().empty()) _exit(6);
    if (std::filesystem::exists(v.folder().file("Alice0000020.avi"))) _exit(7);
    _exit(0);
  }
  int status = 0;
  ASSERT_TRUE(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(v.Scan("Alice0000000.avi").finished);
  const AviRepair repair = RepairMjpegAvi(v.folder().file("Alice0000000.avi"));
  EXPECT_TRUE(repair.ok) << repair.problem;
  EXPECT_EQ(repair.frames, 20u);

  VideoFolder empty(5);
  const pid_t second = fork();
  if (second == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{0, 0};  // not even the headers
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(2);
    if (empty.Add(0)) _exit(3);
    _exit(empty.video().TakeUnfinished().empty() ? 0 : 4);
  }
  ASSERT_TRUE(second > 0 && waitpid(second, &status, 0) == second && WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(empty.folder().entries().empty());
}

TEST(RecordingEnd, LastWholeLineTells) {
  const std::string head =
      "time_utc,event,frame,detail\r\n2026-12-09T10:00:00.000Z,start,,\"interval_ms=200; window=A\"\r\n";
  const std::string frame = "2026-12-09T10:00:00.100Z,frame,0,\r\n";
  EXPECT_FALSE(TimesTailEnded(head + frame, true));
  EXPECT_FALSE(TimesTailEnded(head + frame + "2026-12-09T10:00:00.300Z,fra", true));  // killed mid-line
  EXPECT_TRUE(TimesTailEnded(head + frame + "2026-12-09T10:00:01.000Z,stop,,\r\n", true));
  EXPECT_TRUE(TimesTailEnded(head + "2026-12-09T10:00:01.000Z,halt,,disk full\r\n", true));
  EXPECT_TRUE(
      TimesTailEnded(head + frame + "2026-12-09T11:00:00.000Z,repaired,,\"A0000000.avi: 1 frames\"\r\n",
                     true));
  EXPECT_FALSE(TimesTailEnded(head + "2026-12-09T10:00:01.000Z,pause,,\r\n", true));
  // A video that could not be ended keeps it unended until it is repaired.
  const std::string unfinished = "2026-12-09T10:00:01.000Z,unfinished,,A0000000.avi\r\n";
  const std::string halt = "2026-12-09T10:00:01.000Z,halt,,\"Failed to save into the video:\"\r\n";
  EXPECT_FALSE(TimesTailEnded(head + frame + unfinished + halt, true));
  EXPECT_TRUE(TimesTailEnded(head + frame + unfinished + halt +
                                 "2026-12-09T11:00:00.000Z,repaired,,\"A0000000.avi: 1 frames\"\r\n",
                             true));
  // The end of a long file: the line cut at its start is passed over.
  EXPECT_TRUE(TimesTailEnded("00Z,frame,7,\r\n2026-12-09T10:00:01.000Z,stop,,\r\n", false));
  EXPECT_FALSE(TimesTailEnded(",stop,,\r\n2026-12-09T10:00:01.000Z,frame,8,\r\n", false));
  // Nothing to go by: nobody's recording to repair.
  EXPECT_TRUE(TimesTailEnded("", true));
  EXPECT_TRUE(TimesTailEnded("time_utc,event,frame,detail\r\n", true));
  EXPECT_TRUE(TimesTailEnded("not a log at all", true));
}

}  // namespace
}  // namespace lumavex::testing
