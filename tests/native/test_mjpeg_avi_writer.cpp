// The Motion JPEG AVI writer: frames must come back byte for byte through
// every index (ours, read here, and ffmpeg's reading), across OpenDML
// parts, and a failed write must leave no file that looks like a video.
#include "avi/mjpeg_avi_writer.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "native/jpeg_test_support.h"
#include "native/mjpeg_test_frames.h"

namespace lumavex::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kMiB = 1 << 20;

std::uint32_t U32(const Bytes& b, std::uint64_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::uint64_t U64(const Bytes& b, std::uint64_t at) { return U32(b, at) | (std::uint64_t{U32(b, at + 4)} << 32); }
std::string Code(const Bytes& b, std::uint64_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

struct Chunk {
  std::string id;  // for RIFF and LIST: "LIST:movi" and the like
  std::uint64_t at;  // offset of the chunk header
  std::uint32_t size;
  std::uint64_t data() const { return at + 8; }
};

// The chunks between `begin` and `end`, following their sizes and the pad
// byte of odd ones; fails the test when one runs past `end`.
std::vector<Chunk> Children(const Bytes& file, std::uint64_t begin, std::uint64_t end) {
  std::vector<Chunk> chunks;
  for (std::uint64_t at = begin; at + 8 <= end;) {
    Chunk c{Code(file, at), at, U32(file, at + 4)};
    if (c.id == "LIST" || c.id == "RIFF") c.id += ":" + Code(file, at + 8);
    EXPECT_LE(at + 8 + c.size, end) << c.id << " at " << at << " runs past its parent";
    if (at + 8 + c.size > end) break;
    chunks.push_back(c);
    at += 8 + c.size + (c.size & 1);
  }
  return chunks;
}

const Chunk& Find(const std::vector<Chunk>& chunks, const std::string& id) {
  for (const Chunk& c : chunks)
    if (c.id == id) return c;
  ADD_FAILURE() << "no " << id;
  static const Chunk none{"", 0, 0};
  return none;
}

// What a reader learns from the file's structure.
struct ParsedAvi {
  std::vector<Chunk> parts;  // RIFF chunks
  std::uint32_t mainTotalFrames = 0, streamLength = 0, extendedTotalFrames = 0;
  std::uint32_t width = 0, height = 0, rate = 0, suggestedBuffer = 0;
  std::string handler, compression;
  std::vector<Bytes> framesBySuperIndex;  // through indx -> ix00 -> chunk data
  std::vector<Bytes> framesByLegacyIndex;  // through the first part's idx1
  std::uint32_t keyFrameFlags = 0;  // idx1 entries with AVIIF_KEYFRAME
};

ParsedAvi Parse(const Bytes& file) {
  ParsedAvi avi;
  avi.parts = Children(file, 0, file.size());
  if (avi.parts.empty()) return avi;
  const Chunk& first = avi.parts[0];
  EXPECT_EQ(first.id, "RIFF:AVI ");
  const std::vector<Chunk> top = Children(file, first.data() + 4, first.data() + first.size);
  const Chunk& hdrl = Find(top, "LIST:hdrl");
  const std::vector<Chunk> headers = Children(file, hdrl.data() + 4, hdrl.data() + hdrl.size);
  const Chunk& avih = Find(headers, "avih");
  avi.mainTotalFrames = U32(file, avih.data() + 16);
  avi.suggestedBuffer = U32(file, avih.data() + 28);
  avi.width = U32(file, avih.data() + 32);
  avi.height = U32(file, avih.data() + 36);
  const Chunk& strl = Find(headers, "LIST:strl");
  const std::vector<Chunk> stream = Children(file, strl.data() + 4, strl.data() + strl.size);
  const Chunk& strh = Find(stream, "strh");
  avi.handler = Code(file, strh.data() + 4);
  avi.rate = U32(file, strh.data() + 24);
  avi.streamLength = U32(file, strh.data() + 32);
  avi.compression = Code(file, Find(stream, "strf").data() + 16);
  const Chunk& odml = Find(headers, "LIST:odml");
  avi.extendedTotalFrames = U32(file, Find(Children(file, odml.data() + 4, odml.data() + odml.size), "dmlh").data());

  // Super index -> standard indexes -> chunks.
  const Chunk& indx = Find(stream, "indx");
  const std::uint32_t partsInUse = U32(file, indx.data() + 4);
  EXPECT_EQ(partsInUse, avi.parts.size());
  for (std::uint32_t p = 0; p < partsInUse; ++p) {
    const std::uint64_t entry = indx.data() + 24 + 16 * p;
    const std::uint64_t ix = U64(file, entry);
    EXPECT_EQ(Code(file, ix), "ix00");
    EXPECT_EQ(U32(file, entry + 8), U32(file, ix + 4) + 8);  // the whole chunk
    EXPECT_GE(ix, avi.parts[p].at);
    EXPECT_LT(ix, avi.parts[p].data() + avi.parts[p].size);  // inside its own part
    const std::uint32_t count = U32(file, ix + 12);
    EXPECT_EQ(U32(file, entry + 12), count);  // duration in frames
    const std::uint64_t base = U64(file, ix + 20);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint64_t data = base + U32(file, ix + 32 + 8 * i);
      const std::uint32_t size = U32(file, ix + 36 + 8 * i);
      EXPECT_EQ(size & 0x80000000u, 0u) << "not marked as a key frame";
      EXPECT_EQ(Code(file, data - 8), "00dc");
      EXPECT_EQ(U32(file, data - 4), size);
      avi.framesBySuperIndex.emplace_back(file.begin() + data, file.begin() + data + size);
    }
  }

  // The legacy index counts from the first part's 'movi' code.
  const Chunk& movi = Find(top, "LIST:movi");
  const Chunk& idx1 = Find(top, "idx1");
  for (std::uint64_t e = idx1.data(); e + 16 <= idx1.data() + idx1.size; e += 16) {
    EXPECT_EQ(Code(file, e), "00dc");
    if (U32(file, e + 4) & 0x10) ++avi.keyFrameFlags;
    const std::uint64_t chunk = movi.data() + U32(file, e + 8);
    EXPECT_EQ(Code(file, chunk), "00dc");
    EXPECT_EQ(U32(file, chunk + 4), U32(file, e + 12));
    avi.framesByLegacyIndex.emplace_back(file.begin() + chunk + 8, file.begin() + chunk + 8 + U32(file, e + 12));
  }

  for (std::size_t p = 1; p < avi.parts.size(); ++p) {
    EXPECT_EQ(avi.parts[p].id, "RIFF:AVIX");
    const std::vector<Chunk> inside = Children(file, avi.parts[p].data() + 4, avi.parts[p].data() + avi.parts[p].size);
    EXPECT_EQ(inside.size(), 1u);
    Find(inside, "LIST:movi");
  }
  return avi;
}

// Frames of 163x123 whose sizes vary from about 3 KB to 20 KB, odd and even.
const std::vector<Bytes>& VaryingFrames() {
  static const std::vector<Bytes> frames = [] {
    std::vector<Bytes> made;
    for (unsigned i = 0; i < 360; ++i) made.push_back(EncodeTestFrame(163, 123, i, static_cast<int>(i * 37 % 90)));
    return made;
  }();
  return frames;
}

std::uint64_t TotalBytes(const std::vector<Bytes>& frames, std::size_t count) {
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < count; ++i) total += frames[i].size();
  return total;
}

bool WriteAvi(const std::string& path, const std::vector<Bytes>& frames, std::size_t count, std::uint64_t partSize,
              std::size_t* parts = nullptr) {
  MjpegAviLayout layout;
  layout.width = 163;
  layout.height = 123;
  layout.framesPerSecond = 3;
  layout.partSize = partSize;
  MjpegAviWriter writer(path, layout);
  if (!writer.Open()) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (!writer.AddFrame(frames[i].data(), frames[i].size())) return false;
  if (parts != nullptr) *parts = writer.PartCount();
  return writer.Finish();
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

bool HaveFfmpeg() { return std::system("command -v ffprobe >/dev/null 2>&1 && command -v ffmpeg >/dev/null 2>&1") == 0; }

class MultiPartAvi : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new ScratchFolder;
    path_ = folder_->file("several parts.avi");
    ASSERT_TRUE(WriteAvi(path_, VaryingFrames(), VaryingFrames().size(), kMiB, &parts_));
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  static ScratchFolder* folder_;
  static std::string path_;
  static std::size_t parts_;
};
ScratchFolder* MultiPartAvi::folder_ = nullptr;
std::string MultiPartAvi::path_;
std::size_t MultiPartAvi::parts_ = 0;

TEST_F(MultiPartAvi, EveryFrameComesBackThroughTheOpenDmlIndexes) {
  const Bytes file = readFile(path_);
  EXPECT_GT(file.size(), 3 * kMiB);
  const ParsedAvi avi = Parse(file);
  ASSERT_GE(avi.parts.size(), 3u);
  EXPECT_EQ(avi.parts.size(), parts_);
  for (const Chunk& part : avi.parts) EXPECT_LE(part.size + 8, kMiB) << "part at " << part.at;
  EXPECT_EQ(avi.parts.back().data() + avi.parts.back().size, file.size());
  EXPECT_EQ(avi.framesBySuperIndex, VaryingFrames());
  EXPECT_EQ(avi.streamLength, VaryingFrames().size());
  EXPECT_EQ(avi.extendedTotalFrames, VaryingFrames().size());
  EXPECT_EQ(avi.handler, "MJPG");
  EXPECT_EQ(avi.compression, "MJPG");
  EXPECT_EQ(avi.width, 163u);
  EXPECT_EQ(avi.height, 123u);
  EXPECT_EQ(avi.rate, 3u);
  std::size_t largest = 0;
  for (const Bytes& frame : VaryingFrames()) largest = std::max(largest, frame.size());
  EXPECT_GE(avi.suggestedBuffer, largest);
}

TEST_F(MultiPartAvi, LegacyIndexCoversTheFirstPartOnly) {
  const ParsedAvi avi = Parse(readFile(path_));
  const std::size_t first = avi.framesByLegacyIndex.size();
  ASSERT_GT(first, 0u);
  ASSERT_LT(first, VaryingFrames().size());
  EXPECT_EQ(avi.mainTotalFrames, first);
  EXPECT_EQ(avi.keyFrameFlags, first);
  EXPECT_EQ(avi.framesByLegacyIndex, std::vector<Bytes>(VaryingFrames().begin(), VaryingFrames().begin() + first));
}

TEST_F(MultiPartAvi, FfmpegReadsEveryPacketUnchanged) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffprobe/ffmpeg not installed (tools/install-deps.sh installs them)";
  const std::string probe = OutputOf("ffprobe -v error -count_packets -select_streams v:0 -show_entries "
                                "stream=codec_name,width,height,nb_read_packets -of csv=p=0 '" + path_ + "'");
  EXPECT_EQ(probe, "mjpeg,163,123," + std::to_string(VaryingFrames().size()) + "\n");

  const std::string out = folder_->file("packets");
  std::filesystem::create_directory(out);
  OutputOf("ffmpeg -v error -i '" + path_ + "' -c copy -f image2 '" + out + "/%05d.jpg' 2>&1");
  for (std::size_t i = 0; i < VaryingFrames().size(); ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "/%05zu.jpg", i + 1);
    ASSERT_EQ(readFile(out + name), VaryingFrames()[i]) << "packet " << i + 1;
  }
  EXPECT_FALSE(fileExists(out + "/00361.jpg"));
}

TEST(MjpegAviWriter, OneFrameFileIsWholeAndReadable) {
  ScratchFolder folder;
  const std::string path = folder.file("one.avi");
  ASSERT_TRUE(WriteAvi(path, VaryingFrames(), 1, kMiB));
  const ParsedAvi avi = Parse(readFile(path));
  EXPECT_EQ(avi.parts.size(), 1u);
  EXPECT_EQ(avi.framesBySuperIndex, std::vector<Bytes>{VaryingFrames()[0]});
  EXPECT_EQ(avi.framesByLegacyIndex, std::vector<Bytes>{VaryingFrames()[0]});
  EXPECT_EQ(avi.mainTotalFrames, 1u);
  if (HaveFfmpeg()) {
    EXPECT_EQ(OutputOf("ffprobe -v error -count_packets -show_entries stream=nb_read_packets -of csv=p=0 '" + path + "'"),
              "1\n");
  }
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"one.avi"});
}

TEST(MjpegAviWriter, ExpectedSizeIsCloseAboveTheRealSize) {
  ScratchFolder folder;
  const std::vector<Bytes>& frames = VaryingFrames();
  for (const std::uint64_t partSize : {std::uint64_t{1} << 30, 4 * kMiB, kMiB, kMiB / 4, std::uint64_t{30000}}) {
    for (const std::size_t count : {std::size_t{1}, std::size_t{2}, std::size_t{97}, frames.size()}) {
      const std::string path = folder.file("sized.avi");
      std::size_t parts = 0;
      ASSERT_TRUE(WriteAvi(path, frames, count, partSize, &parts));
      const std::uint64_t real = std::filesystem::file_size(path);
      const std::uint64_t expected = MjpegAviWriter::ExpectedFileSize(TotalBytes(frames, count),
                                                                      static_cast<std::uint32_t>(count), partSize);
      EXPECT_GE(expected, real) << count << " frames in " << parts << " parts of " << partSize;
      EXPECT_LE(expected - real, 4096 + 40 * count) << count << " frames in " << parts << " parts of " << partSize;
    }
  }
}

TEST(MjpegAviWriter, NoFramesNoFile) {
  ScratchFolder folder;
  MjpegAviWriter writer(folder.file("empty.avi"), MjpegAviLayout{163, 123, 3});
  ASSERT_TRUE(writer.Open());
  EXPECT_FALSE(writer.AddFrame(nullptr, 0));  // refused, not written
  EXPECT_FALSE(writer.Finish());
  EXPECT_TRUE(folder.entries().empty());
}

TEST(MjpegAviWriter, AbandonedOrUnopenableWriterLeavesNothing) {
  ScratchFolder folder;
  {
    MjpegAviWriter writer(folder.file("abandoned.avi"), MjpegAviLayout{163, 123, 3});
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.AddFrame(VaryingFrames()[0].data(), VaryingFrames()[0].size()));
  }
  MjpegAviWriter missingFolder(folder.file("no such folder/x.avi"), MjpegAviLayout{163, 123, 3});
  EXPECT_FALSE(missingFolder.Open());
  EXPECT_FALSE(missingFolder.AddFrame(VaryingFrames()[0].data(), VaryingFrames()[0].size()));
  EXPECT_FALSE(missingFolder.Finish());
  MjpegAviWriter noSize(folder.file("no size.avi"), MjpegAviLayout{0, 123, 3});
  EXPECT_FALSE(noSize.Open());
  EXPECT_TRUE(folder.entries().empty());
}

// Writes `count` frames in a child process whose files may not grow past
// `limit` bytes, as on a disk that fills up (EFBIG instead of ENOSPC).
// The child's exit code: 0 all went well, 1 AddFrame failed, 2 Finish failed.
int WriteWithFileSizeLimit(const std::string& path, std::size_t count, rlim_t limit) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit fileSize = {limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0) _exit(100);
    MjpegAviWriter writer(path, MjpegAviLayout{163, 123, 3, kMiB});
    if (!writer.Open()) _exit(1);
    for (std::size_t i = 0; i < count; ++i)
      if (!writer.AddFrame(VaryingFrames()[i].data(), VaryingFrames()[i].size())) _exit(1);
    _exit(writer.Finish() ? 0 : 2);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

const std::string kEarlierVideo = "an earlier video";

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

TEST(MjpegAviWriter, FullDiskLeavesTheEarlierFileAndNothingElse) {
  VaryingFrames();  // made before the fork
  ScratchFolder folder;
  const std::string path = folder.file("video.avi");
  WriteText(path, kEarlierVideo);
  // Failing while frames are added (past the writer's buffer), and failing
  // only when the buffered rest reaches the disk at Finish.
  EXPECT_EQ(WriteWithFileSizeLimit(path, VaryingFrames().size(), 256 * 1024), 1);
  EXPECT_EQ(WriteWithFileSizeLimit(path, 40, 64 * 1024), 2);
  EXPECT_EQ(readFile(path), Bytes(kEarlierVideo.begin(), kEarlierVideo.end()));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"video.avi"});
  // The same frames with room enough replace it.
  EXPECT_EQ(WriteWithFileSizeLimit(path, 40, 64 * kMiB), 0);
  EXPECT_EQ(Parse(readFile(path)).framesBySuperIndex,
            std::vector<Bytes>(VaryingFrames().begin(), VaryingFrames().begin() + 40));
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"video.avi"});
}

TEST(MjpegAviWriter, VanishedFolderFailsTheFinish) {
  ScratchFolder folder;
  const std::string sub = folder.file("stick");
  std::filesystem::create_directory(sub);
  MjpegAviWriter writer(sub + "/video.avi", MjpegAviLayout{163, 123, 3});
  ASSERT_TRUE(writer.Open());
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(writer.AddFrame(VaryingFrames()[i].data(), VaryingFrames()[i].size()));
  std::filesystem::remove_all(sub);
  EXPECT_FALSE(writer.Finish());
  EXPECT_TRUE(folder.entries().empty());
}

}  // namespace
}  // namespace lumavex::testing
