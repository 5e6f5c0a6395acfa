// The Motion JPEG AVI writer: frames must come back byte for byte through
// every index (ours, read here, and ffmpeg's reading) across OpenDML parts,
// and a failed write must leave no file that looks like a video.
#include "avi/mjpeg_avi_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "avi/mjpeg_avi_repair.h"
#include "base/file.h"
#include "base/part_file.h"
#include "native/jpeg_test_support.h"
#include "native/mjpeg_test_frames.h"

namespace lumavex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<Bytes>;
constexpr std::uint64_t kMiB = 1 << 20;

std::uint32_t U32(const Bytes& b, std::uint64_t at) {
  return b.at(at) | (b.at(at + 1) << 8) | (b.at(at + 2) << 16) | (std::uint32_t{b.at(at + 3)} << 24);
}
std::string Code(const Bytes& b, std::uint64_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

// Offset of the first chunk `id` ("LIST:movi" for lists) between `begin`
// and `end`, following chunk sizes and pad bytes; fails when there is none.
std::uint64_t FindChunk(const Bytes& f, std::uint64_t begin, std::uint64_t end, const std::string& id) {
  for (std::uint64_t at = begin; at + 12 <= end; at += 8 + U32(f, at + 4) + (U32(f, at + 4) & 1)) {
    const std::string code = Code(f, at);
    if ((code == "LIST" || code == "RIFF" ? code + ":" + Code(f, at + 8) : code) == id) return at;
  }
  ADD_FAILURE() << "no " << id;
  return f.size();
}
std::uint64_t EndOf(const Bytes& f, std::uint64_t chunk) { return chunk + 8 + U32(f, chunk + 4); }

struct ReadBack {
  std::size_t parts = 0;
  std::uint32_t firstPartFrames = 0, allFrames = 0;  // avih and dmlh
  Frames bySuperIndex;                               // indx -> each part's ix00 -> chunk data
  Frames byLegacyIndex;                              // the first part's idx1, from its 'movi' code
};

// `finished`: the writer's Finish ran, so the first part has its legacy
// index. A killed writer's file ends its last RIFF where the last refresh
// left it; what follows is not read.
ReadBack Read(const Bytes& f, bool finished = true) {
  ReadBack r;
  for (std::uint64_t at = 0; at + 12 <= f.size() && (finished || Code(f, at) == "RIFF"); at = EndOf(f, at)) {
    EXPECT_EQ(Code(f, at + 8), r.parts++ == 0 ? "AVI " : "AVIX");
    EXPECT_LE(EndOf(f, at), f.size());
  }
  const std::uint64_t hdrl = FindChunk(f, 12, f.size(), "LIST:hdrl");
  r.firstPartFrames = U32(f, FindChunk(f, hdrl + 12, EndOf(f, hdrl), "avih") + 24);
  const std::uint64_t odml = FindChunk(f, hdrl + 12, EndOf(f, hdrl), "LIST:odml");
  r.allFrames = U32(f, FindChunk(f, odml + 12, EndOf(f, odml), "dmlh") + 8);
  const std::uint64_t strl = FindChunk(f, hdrl + 12, EndOf(f, hdrl), "LIST:strl");
  const std::uint64_t indx = FindChunk(f, strl + 12, EndOf(f, strl), "indx");
  for (std::uint32_t p = 0; p < U32(f, indx + 12); ++p) {
    const std::uint64_t ix = U32(f, indx + 32 + 16 * p) | (std::uint64_t{U32(f, indx + 36 + 16 * p)} << 32);
    EXPECT_EQ(Code(f, ix), "ix00");
    const std::uint64_t base = U32(f, ix + 20) | (std::uint64_t{U32(f, ix + 24)} << 32);
    for (std::uint32_t i = 0; i < U32(f, ix + 12); ++i) {
      const std::uint64_t data = base + U32(f, ix + 32 + 8 * i);
      // Top bit clear: a key frame; a held slot (size 0) is none.
      const std::uint32_t field = U32(f, ix + 36 + 8 * i);
      const std::uint32_t size = field & 0x7FFFFFFF;
      EXPECT_EQ(field >> 31, size == 0 ? 1u : 0u);
      EXPECT_EQ(Code(f, data - 8) + std::to_string(U32(f, data - 4)), "00dc" + std::to_string(size));
      r.bySuperIndex.emplace_back(f.begin() + data, f.begin() + data + size);
    }
  }
  if (!finished) return r;
  const std::uint64_t movi = FindChunk(f, 12, EndOf(f, 0), "LIST:movi");
  const std::uint64_t idx1 = FindChunk(f, 12, EndOf(f, 0), "idx1");
  for (std::uint64_t e = idx1 + 8; e < EndOf(f, idx1); e += 16) {
    const std::uint64_t chunk = movi + 8 + U32(f, e + 8);
    // AVIIF_KEYFRAME on every picture, on no held slot
    EXPECT_EQ(Code(f, e) + std::to_string(U32(f, e + 4)), U32(f, e + 12) == 0 ? "00dc0" : "00dc16");
    EXPECT_EQ(Code(f, chunk) + std::to_string(U32(f, chunk + 4)), "00dc" + std::to_string(U32(f, e + 12)));
    r.byLegacyIndex.emplace_back(f.begin() + chunk + 8, f.begin() + chunk + 8 + U32(f, e + 12));
  }
  return r;
}

// 360 frames of 163x123, about 2 to 20 KB, odd and even sizes.
const Frames& VaryingFrames() {
  static const Frames frames = [] {
    Frames made;
    for (unsigned i = 0; i < 360; ++i)
      made.push_back(EncodeTestFrame(163, 123, i, static_cast<int>(i * 37 % 90)));
    return made;
  }();
  return frames;
}
Frames FirstFrames(std::size_t count) {
  return Frames(VaryingFrames().begin(), VaryingFrames().begin() + count);
}

// The writer as the program drives it: into a part file that is put in
// place only when the video is finished.
class AviOnDisk {
 public:
  AviOnDisk(const std::string& path, const MjpegAviSettings& settings)
      : part_(path), out_((part_.Open(), part_.stream())), writer_(out_, settings) {}
  bool Start() { return writer_.Start(); }
  bool AddFrame(const Bytes& frame) { return writer_.AddFrame(frame.data(), frame.size()); }
  MjpegAviWriter& writer() { return writer_; }
  bool Finish() { return part_.Commit(!writer_.Finish()); }
  std::size_t PartCount() const { return writer_.PartCount(); }

 private:
  PartFile part_;
  OutputFile out_;
  MjpegAviWriter writer_;
};

bool WriteAvi(const std::string& path, std::size_t count, std::uint64_t partSize = kMiB,
              std::size_t* parts = nullptr) {
  AviOnDisk writer(path, MjpegAviSettings{163, 123, 3, partSize});
  bool ok = writer.Start();
  for (std::size_t i = 0; ok && i < count; ++i) ok = writer.AddFrame(VaryingFrames()[i]);
  if (parts != nullptr) *parts = writer.PartCount();
  return writer.Finish() && ok;
}

std::string OutputOf(const std::string& command) {
  std::string output;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

TEST(MjpegAviWriter, ManyPartsReadBackThroughBothIndexes) {
  ScratchFolder folder;
  const std::string path = folder.file("parts.avi");
  ASSERT_TRUE(WriteAvi(path, VaryingFrames().size()));
  const Bytes file = readFile(path);
  const ReadBack avi = Read(file);
  EXPECT_GT(file.size(), 3 * kMiB);
  EXPECT_GE(avi.parts, 4u);
  EXPECT_EQ(avi.bySuperIndex, VaryingFrames());
  EXPECT_EQ(avi.allFrames, VaryingFrames().size());
  EXPECT_EQ(avi.firstPartFrames, avi.byLegacyIndex.size());
  EXPECT_EQ(avi.byLegacyIndex, FirstFrames(avi.byLegacyIndex.size()));
  EXPECT_LT(avi.byLegacyIndex.size(), VaryingFrames().size() / 3);

  const ReadBack one = (WriteAvi(path, 1), Read(readFile(path)));
  EXPECT_EQ(one.parts, 1u);
  EXPECT_EQ(one.bySuperIndex, FirstFrames(1));
  EXPECT_EQ(one.byLegacyIndex, FirstFrames(1));
}

TEST(MjpegAviWriter, FfmpegReadsEveryPacketUnchanged) {
  if (std::system("command -v ffprobe >/dev/null && command -v ffmpeg >/dev/null") != 0)
    GTEST_SKIP() << "ffprobe/ffmpeg not installed (tools/install-deps.sh installs them)";
  ScratchFolder folder;
  const std::string path = folder.file("parts.avi");
  for (const std::size_t count : {VaryingFrames().size(), std::size_t{1}}) {
    ASSERT_TRUE(WriteAvi(path, count));
    EXPECT_EQ(
        OutputOf(
            "ffprobe -v error -count_packets -show_entries stream=codec_name,width,height,nb_read_packets "
            "-of csv=p=0 '" +
            path + "'"),
        "mjpeg,163,123," + std::to_string(count) + "\n");
    const std::string out = folder.file("out" + std::to_string(count));
    std::filesystem::create_directory(out);
    OutputOf("ffmpeg -v error -i '" + path + "' -c copy -f image2 '" + out + "/%05d.jpg'");
    Frames packets;
    char name[32];
    for (std::size_t i = 1; std::snprintf(name, sizeof name, "/%05zu.jpg", i), fileExists(out + name); ++i)
      packets.push_back(readFile(out + name));
    EXPECT_EQ(packets, FirstFrames(count));
  }
}

TEST(MjpegAviWriter, ExpectedSizeIsCloseAboveTheRealSize) {
  ScratchFolder folder;
  const std::string path = folder.file("sized.avi");
  for (const std::uint64_t partSize : {std::uint64_t{1} << 30, kMiB, kMiB / 4, std::uint64_t{30000}}) {
    std::uint64_t frameBytes = 0;
    for (std::size_t count = 1; count <= VaryingFrames().size(); count = count * 3 + 1) {
      for (std::size_t i = count / 3; i < count; ++i) frameBytes += VaryingFrames()[i].size();
      std::size_t parts = 0;
      ASSERT_TRUE(WriteAvi(path, count, partSize, &parts));
      const std::uint64_t real = std::filesystem::file_size(path);
      const std::uint64_t expected =
          MjpegAviWriter::ExpectedFileSize(frameBytes, static_cast<std::uint32_t>(count), partSize);
      EXPECT_GE(expected, real) << count << " frames in " << parts << " parts";
      EXPECT_LE(expected, real + 4096 + 40 * count) << count << " frames in " << parts << " parts";
    }
  }
}

// Writes `count` frames in a child process whose files may not grow past
// `limit` bytes, as on a disk that fills up. Exit code: 0 written, 1 a frame
// failed, 2 Finish failed.
int WriteWithFileSizeLimit(const std::string& path, std::size_t count, rlim_t limit) {
  VaryingFrames();  // made before the fork
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a failing write instead of a killed process
    const rlimit fileSize = {limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) _exit(100);
    AviOnDisk writer(path, MjpegAviSettings{163, 123, 3, kMiB});
    if (!writer.Start()) _exit(1);
    for (std::size_t i = 0; i < count; ++i)
      if (!writer.AddFrame(VaryingFrames()[i])) _exit(1);
    _exit(writer.Finish() ? 0 : 2);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MjpegAviWriter, FailedWriteLeavesOnlyTheEarlierFile) {
  ScratchFolder folder;
  const std::string path = folder.file("video.avi");
  const Bytes earlier = {'o', 'l', 'd'};
  std::fwrite(earlier.data(), 1, earlier.size(), UniqueStdFile(std::fopen(path.c_str(), "wb")).get());
  // A full disk while frames are added (past the write buffer), and one
  // noticed only when Finish writes out the rest.
  EXPECT_EQ(WriteWithFileSizeLimit(path, VaryingFrames().size(), 256 * 1024), 1);
  EXPECT_EQ(WriteWithFileSizeLimit(path, 40, 64 * 1024), 2);
  EXPECT_EQ(readFile(path), earlier);
  // No frames at all is refused too.
  AviOnDisk empty(path, MjpegAviSettings{163, 123, 3});
  ASSERT_TRUE(empty.Start());
  EXPECT_FALSE(empty.Finish());
  EXPECT_EQ(readFile(path), earlier);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"video.avi"});
  // With room enough, it is replaced.
  EXPECT_EQ(WriteWithFileSizeLimit(path, 40, 64 * kMiB), 0);
  EXPECT_EQ(Read(readFile(path)).bySuperIndex, FirstFrames(40));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"video.avi"});
}

TEST(MjpegAviWriter, VanishedOrMissingFolderLeavesNothing) {
  ScratchFolder folder;
  const std::string stick = folder.file("stick");
  std::filesystem::create_directory(stick);
  AviOnDisk writer(stick + "/video.avi", MjpegAviSettings{163, 123, 3});
  ASSERT_TRUE(writer.Start());
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(writer.AddFrame(VaryingFrames()[i]));
  std::filesystem::remove_all(stick);
  EXPECT_FALSE(writer.Finish());
  AviOnDisk missing(folder.file("no such folder/x.avi"), MjpegAviSettings{163, 123, 3});
  EXPECT_FALSE(missing.Start());
  EXPECT_FALSE(missing.AddFrame(VaryingFrames()[0]));
  EXPECT_FALSE(missing.Finish());
  EXPECT_TRUE(folder.entries().empty());
}

}  // namespace
}  // namespace lumavex::testing

namespace lumavex::testing {
namespace {

// A recording's slots in order: a picture (an index into VaryingFrames) or
// a held slot (kHeld).
constexpr int kHeld = -1;
using Timeline = std::vector<int>;

// What the indexes must give back for a timeline: a held slot is an empty
// entry.
Frames SlotsOf(const Timeline& timeline) {
  Frames slots;
  for (const int slot : timeline) slots.push_back(slot == kHeld ? Bytes{} : VaryingFrames()[slot]);
  return slots;
}
Frames SlotPrefix(const Timeline& timeline, std::size_t count) {
  Frames slots = SlotsOf(timeline);
  slots.resize(std::min(count, slots.size()));
  return slots;
}
Frames PicturesOf(const Timeline& timeline) {
  Frames pictures;
  for (const int slot : timeline)
    if (slot != kHeld) pictures.push_back(VaryingFrames()[slot]);
  return pictures;
}

// Every picture of the first `pictures`, with runs of held slots between
// some of them, up to 10 in a row.
Timeline HeldTimeline(int pictures) {
  Timeline timeline;
  for (int i = 0; i < pictures; ++i) {
    if (i > 0 && i % 9 == 0)
      for (int held = 0; held < 1 + i % 10; ++held) timeline.push_back(kHeld);
    timeline.push_back(i);
  }
  return timeline;
}

// Feeds the timeline to a writer, holds gathered as the recorder does.
bool Feed(MjpegAviWriter& writer, const Timeline& timeline) {
  std::uint32_t held = 0;
  for (const int slot : timeline) {
    if (slot == kHeld) {
      ++held;
      continue;
    }
    if ((held > 0 && !writer.HoldSlots(held)) ||
        !writer.AddFrame(VaryingFrames()[slot].data(), VaryingFrames()[slot].size()))
      return false;
    held = 0;
  }
  return true;
}

bool HaveFfprobe() {
  return std::system("command -v ffprobe >/dev/null && command -v ffmpeg >/dev/null") == 0;
}

// ffprobe's packets of the file: "pts,size" lines.
std::string FfprobePackets(const std::string& path) {
  return OutputOf("ffprobe -v error -select_streams v:0 -show_entries packet=pts,size -of csv=p=0 '" + path +
                  "'");
}
std::string PacketsOf(const Timeline& timeline, std::size_t slots) {
  std::string lines;
  for (std::size_t i = 0; i < slots && i < timeline.size(); ++i)
    if (timeline[i] != kHeld)
      lines += std::to_string(i) + "," + std::to_string(VaryingFrames()[timeline[i]].size()) + "\n";
  return lines;
}

TEST(MjpegAviTiming, RateAndScaleMakeOneFrameAnInterval) {
  if (!HaveFfprobe()) GTEST_SKIP() << "ffprobe/ffmpeg not installed (tools/install-deps.sh installs them)";
  ScratchFolder folder;
  const std::string path = folder.file("rate.avi");
  // 0.1 s, 0.2 s, 2 s, 60 s a frame.
  for (const auto& [rate, scale, said] : std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>>{
           {10, 1, "10/1"}, {5, 1, "5/1"}, {1, 2, "1/2"}, {1, 60, "1/60"}}) {
    MjpegAviSettings settings{163, 123, rate, kMiB};
    settings.scale = scale;
    AviOnDisk writer(path, settings);
    ASSERT_TRUE(writer.Start());
    ASSERT_TRUE(Feed(writer.writer(), {0, 1, kHeld, 2}));
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(OutputOf("ffprobe -v error -show_entries stream=r_frame_rate,time_base -of csv=p=0 '" + path +
                       "'"),
              said + "," + std::to_string(scale) + "/" + std::to_string(rate) + "\n");
    EXPECT_EQ(FfprobePackets(path), PacketsOf({0, 1, kHeld, 2}, 4));
  }
}

// Held slots across several parts and many refreshes: every index gives the
// slots back, and ffmpeg plays each picture at its own slot.
TEST(MjpegAviTiming, HeldSlotsKeepEveryPictureAtItsSlot) {
  ScratchFolder folder;
  const std::string path = folder.file("held.avi");
  const Timeline timeline = HeldTimeline(static_cast<int>(VaryingFrames().size()));
  MjpegAviSettings settings{163, 123, 10, kMiB / 2};
  settings.refreshSlots = 7;
  settings.superIndexSlots = SuperIndexSlotsFor(timeline.size(), 7, 8 * kMiB, kMiB / 2);
  AviOnDisk writer(path, settings);
  ASSERT_TRUE(writer.Start());
  ASSERT_TRUE(Feed(writer.writer(), timeline));
  EXPECT_GT(writer.PartCount(), 2u);
  EXPECT_EQ(writer.writer().SlotCount(), timeline.size());
  // A call adds at most 11 slots (10 held and a picture).
  EXPECT_GE(writer.writer().RefreshCount(), timeline.size() / (7 + 11));
  ASSERT_TRUE(writer.Finish());
  const ReadBack back = Read(readFile(path));
  EXPECT_EQ(back.bySuperIndex, SlotsOf(timeline));
  EXPECT_EQ(back.allFrames, timeline.size());
  ASSERT_LE(back.byLegacyIndex.size(), timeline.size());
  EXPECT_EQ(back.byLegacyIndex, SlotPrefix(timeline, back.firstPartFrames));
  if (HaveFfprobe()) EXPECT_EQ(FfprobePackets(path), PacketsOf(timeline, timeline.size()));
}

// Writes the timeline straight into `path`, as a recording does, in a child
// process that dies without finishing, after handing the system what it had
// (a killed program's writes have reached the system; its buffer has not).
void WriteAndDie(const std::string& path, const Timeline& timeline, std::uint32_t refreshSlots) {
  VaryingFrames();  // made before the fork
  const pid_t child = fork();
  if (child == 0) {
    UniqueStdFile stream(OpenNewSoleWriterUtf8(path));
    OutputFile out(stream.get(), 4096);
    MjpegAviSettings settings{163, 123, 5, kMiB};
    settings.refreshSlots = refreshSlots;
    MjpegAviWriter writer(out, settings);
    const bool ok = writer.Start() && Feed(writer, timeline) && out.Flush();
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_TRUE(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
              WEXITSTATUS(status) == 0);
}

TEST(MjpegAviRepair, KilledFilePlaysToItsLastRefreshAndRepairsWhole) {
  ScratchFolder folder;
  const std::string path = folder.file("killed.avi");
  const Timeline timeline = HeldTimeline(80);
  WriteAndDie(path, timeline, 10);
  // As it stands: consistent up to the last refresh, at most 10 slots
  // behind.
  const ReadBack before = Read(readFile(path), false);
  EXPECT_EQ(before.bySuperIndex.size(), before.allFrames);
  EXPECT_GE(before.allFrames + 10, timeline.size());
  EXPECT_EQ(before.bySuperIndex, SlotPrefix(timeline, before.allFrames));
  if (HaveFfprobe()) {
    // ffmpeg reads the indexed slots, and may go on through whole chunks
    // past them.
    const std::string read = FfprobePackets(path);
    EXPECT_EQ(read.rfind(PacketsOf(timeline, before.allFrames), 0), 0u) << read;
    EXPECT_EQ(PacketsOf(timeline, timeline.size()).rfind(read, 0), 0u) << read;
  }

  UniqueStdFile file(std::fopen(path.c_str(), "rb"));
  const AviChunkScan scan = ScanMjpegAvi(file.get());
  file.reset();
  EXPECT_EQ(scan.problem, "");
  EXPECT_FALSE(scan.finished);
  EXPECT_EQ(scan.slots.size(), timeline.size());
  EXPECT_EQ(scan.rate, 5u);

  const AviRepair repair = RepairMjpegAvi(path);
  ASSERT_TRUE(repair.ok) << repair.problem;
  EXPECT_EQ(repair.frames, PicturesOf(timeline).size());
  const ReadBack after = Read(readFile(path));
  EXPECT_EQ(after.bySuperIndex, SlotsOf(timeline));
  EXPECT_EQ(after.byLegacyIndex, SlotsOf(timeline));
  if (HaveFfprobe()) EXPECT_EQ(FfprobePackets(path), PacketsOf(timeline, timeline.size()));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"killed.avi"});
  // A finished file reads as finished, and repairs to the same slots.
  file.reset(std::fopen(path.c_str(), "rb"));
  EXPECT_TRUE(ScanMjpegAvi(file.get()).finished);
}

// Damaged files: cut anywhere, bytes overwritten anywhere. A repair never
// reads past what is there, keeps exactly the whole chunks before a cut,
// and what it writes is a consistent file of pictures.
TEST(MjpegAviRepair, CutOrDamagedFilesRepairToTheirWholeChunks) {
  ScratchFolder folder;
  const std::string original = folder.file("original.avi");
  const Timeline timeline = HeldTimeline(60);
  WriteAndDie(original, timeline, 10);
  const Bytes whole = readFile(original);
  UniqueStdFile file(std::fopen(original.c_str(), "rb"));
  const AviChunkScan scan = ScanMjpegAvi(file.get());
  file.reset();
  ASSERT_EQ(scan.slots.size(), timeline.size());

  std::mt19937 random(22);
  const std::string path = folder.file("damaged.avi");
  for (int round = 0; round < 150; ++round) {
    const std::size_t cut = std::uniform_int_distribution<std::size_t>(0, whole.size())(random);
    Bytes damaged(whole.begin(), whole.begin() + cut);
    const bool overwritten = round % 2 == 1 && cut > 0;
    if (overwritten)
      for (int i = 0; i < 1 + round % 16; ++i)
        damaged[std::uniform_int_distribution<std::size_t>(0, cut - 1)(random)] =
            static_cast<std::uint8_t>(random());
    UniqueStdFile out(std::fopen(path.c_str(), "wb"));
    if (!damaged.empty()) std::fwrite(damaged.data(), 1, damaged.size(), out.get());
    out.reset();
    const AviRepair repair = RepairMjpegAvi(path);
    // The slots wholly before the cut, without held slots at the end.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < scan.slots.size(); ++i) {
      const AviChunkScan::Slot& slot = scan.slots[i];
      if (slot.dataAt + slot.size + (slot.size & 1) > cut) break;
      if (slot.size > 0) kept = i + 1;
    }
    SCOPED_TRACE("round " + std::to_string(round) + ", cut at " + std::to_string(cut));
    if (!overwritten) {
      EXPECT_EQ(repair.ok, kept > 0) << repair.problem;
      EXPECT_EQ(repair.slots, kept);
    }
    if (!repair.ok) {
      EXPECT_NE(repair.problem, "");
      EXPECT_EQ(readFile(path), damaged);  // left as it was
      continue;
    }
    const ReadBack back = Read(readFile(path));
    EXPECT_EQ(back.bySuperIndex, back.byLegacyIndex);
    EXPECT_EQ(back.allFrames, repair.slots);
    EXPECT_LE(repair.slots, timeline.size());
    if (!overwritten) EXPECT_EQ(back.bySuperIndex, SlotPrefix(timeline, kept));
  }
  EXPECT_EQ(folder.entries().size(), 2u);  // no part file left
}

TEST(MjpegAviRepair, FilesNotOursAreLeftAlone) {
  ScratchFolder folder;
  const std::string path = folder.file("other.avi");
  ASSERT_TRUE(WriteAvi(path, 5));
  Bytes otherCodec = readFile(path);
  std::copy_n("DIB ", 4, otherCodec.begin() + 112);  // strh's handler
  ASSERT_EQ(Code(readFile(path), 112), "MJPG");
  const Bytes wave = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'};
  const Bytes text = {'h', 'e', 'l', 'l', 'o'};
  Bytes headerOnly = readFile(path);
  headerOnly.resize(200);
  for (const auto& [content, problem] :
       std::vector<std::pair<Bytes, std::string>>{{otherCodec, "not a Motion JPEG video"},
                                                  {wave, "not an AVI file"},
                                                  {text, "not an AVI file"},
                                                  {{}, "not an AVI file"},
                                                  {headerOnly, "its header list is cut short"}}) {
    UniqueStdFile out(std::fopen(path.c_str(), "wb"));
    if (!content.empty()) std::fwrite(content.data(), 1, content.size(), out.get());
    out.reset();
    const AviRepair repair = RepairMjpegAvi(path);
    EXPECT_FALSE(repair.ok);
    EXPECT_EQ(repair.problem, problem);
    EXPECT_EQ(readFile(path), content);
  }
  EXPECT_EQ(RepairMjpegAvi(folder.file("missing.avi")).problem, "cannot be opened");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"other.avi"});
}

}  // namespace
}  // namespace lumavex::testing
