// Frame files are whole or absent: the encoded data goes to "<name>.part"
// and is renamed into place only after every write and the close succeeded.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/part_file.h"
#include "imaging/jpeg/jpeg_library.h"
#include "native/jpeg_test_support.h"

namespace lumavex::testing {
namespace {

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

std::string readText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = readFile(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(PartFile, CommitMovesTheTemporaryOverTheTarget) {
  ScratchFolder folder;
  const std::string target = folder.file("frame.jpg");
  writeText(target, "older");
  PartFile writer(target);
  EXPECT_EQ(writer.PartPath(), target + ".part");
  ASSERT_TRUE(writer.Open());
  ASSERT_TRUE(writer.Write("new ", 4));
  ASSERT_TRUE(writer.Write("frame", 5));
  EXPECT_EQ(readText(target), "older");  // untouched until the commit
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(readText(target), "new frame");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
}

TEST(PartFile, AbandonedWriterRemovesItsTemporary) {
  ScratchFolder folder;
  const std::string target = folder.file("frame.jpg");
  writeText(target, "older");
  {
    PartFile writer(target);
    ASSERT_TRUE(writer.Open());
    ASSERT_TRUE(writer.Write("partial", 7));
    EXPECT_TRUE(fileExists(writer.PartPath()));
  }
  EXPECT_EQ(readText(target), "older");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
}

TEST(PartFile, UnopenedWriterCannotWriteOrCommit) {
  ScratchFolder folder;
  PartFile writer(folder.file("missing/frame.jpg"));
  EXPECT_FALSE(writer.Open());
  EXPECT_FALSE(writer.Write("x", 1));
  EXPECT_FALSE(writer.Commit());
  EXPECT_TRUE(folder.entries().empty());
}

// The replace is the last step. When it fails (here: a folder stands where
// the file should go, which rename refuses to replace), whatever was at the
// target must still be there, and the new file must be gone.
TEST(PartFile, AFailedReplaceKeepsTheOldTargetAndRemovesThePart) {
  ScratchFolder folder;
  const std::string target = folder.file("frame.jpg");
  std::filesystem::create_directory(target);
  writeText(target + "/inside.txt", "older");
  PartFile writer(target);
  ASSERT_TRUE(writer.Open());
  ASSERT_TRUE(writer.Write("new frame", 9));
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(readText(target + "/inside.txt"), "older");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
  // A stream's own failure, reported by its writer, is refused the same way.
  const std::string other = folder.file("other.jpg");
  writeText(other, "older");
  PartFile failed(other);
  ASSERT_TRUE(failed.Open());
  EXPECT_FALSE(failed.Commit(/*failed=*/true));
  EXPECT_EQ(readText(other), "older");
  EXPECT_FALSE(fileExists(failed.PartPath()));
}

// A picture of noise, whose JPEG is far larger than the file size limit
// used below.
DibPicture noisePicture() {
  DibPicture picture(320, 240);
  std::mt19937 random(1);
  picture.fill([&](int, int) {
    return Rgb{static_cast<int>(random() % 256), static_cast<int>(random() % 256),
               static_cast<int>(random() % 256)};
  });
  return picture;
}

// Runs jpegWrite in a child process whose files may not grow past 4 KiB, so
// the write fails part-way as on a full disk (EFBIG instead of ENOSPC).
int writeWithFileSizeLimit(const DibPicture& picture, const std::string& path, int quality = 95) {
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // fail the write instead of killing the process
    const rlimit limit = {4096, 4096};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    JpegCoreProperties props = picture.record(path, quality);
    _exit(jpegWrite(&props, JPEG_JFILE_WRITEWHOLEIMAGE));
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(JpegWholeOrAbsent, WriteFailingPartWayLeavesNoFile) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  EXPECT_EQ(writeWithFileSizeLimit(noisePicture(), path), JPEG_ERR_FILE_WRITE);
  EXPECT_TRUE(folder.entries().empty());
}

// POSIX rename replaces atomically, so an older frame survives a failed
// write whole (the recording loop deletes it beforehand anyway).
TEST(JpegWholeOrAbsent, WriteFailingPartWayKeepsAnOlderFileWhole) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  writeText(path, "an older frame");
  EXPECT_EQ(writeWithFileSizeLimit(noisePicture(), path), JPEG_ERR_FILE_WRITE);
  EXPECT_EQ(readText(path), "an older frame");
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
}

TEST(JpegWholeOrAbsent, SmallFrameUnderTheLimitIsWritten) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  DibPicture picture(16, 16);
  picture.fill([](int x, int y) { return smoothColour(x, y); });
  EXPECT_EQ(writeWithFileSizeLimit(picture, path), JPEG_OK);
  EXPECT_EQ(decodeFile(path).width, 16);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
}

// Noise at quality 100 whose file (about 10 MiB, with Huffman tables built
// for it) is larger than the library's 8 MiB buffer, so part of it goes to
// the temporary file while encoding goes on.
const DibPicture& largeNoisePicture() {
  static const DibPicture picture = [] {
    DibPicture p(3000, 2400);
    std::mt19937 random(4);
    p.fill([&](int, int) {
      const std::uint32_t r = static_cast<std::uint32_t>(random());
      return Rgb{static_cast<int>(r & 255), static_cast<int>((r >> 8) & 255),
                 static_cast<int>((r >> 16) & 255)};
    });
    return p;
  }();
  return picture;
}

TEST(JpegWholeOrAbsent, WriteFailingWhileStreamingLeavesNoFile) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  EXPECT_EQ(writeWithFileSizeLimit(largeNoisePicture(), path, 100), JPEG_ERR_FILE_WRITE);
  EXPECT_TRUE(folder.entries().empty());
}

TEST(JpegWholeOrAbsent, PictureLargerThanTheBufferIsStreamedWhole) {
  ScratchFolder folder;
  const std::string path = folder.file("frame.jpg");
  JpegCoreProperties props = largeNoisePicture().record(path, 100);
  ASSERT_EQ(jpegWrite(&props, JPEG_JFILE_WRITEWHOLEIMAGE), JPEG_OK);
  EXPECT_GT(readFile(path).size(), std::size_t{9} << 20);
  const DecodedPicture decoded = decodeFile(path);
  EXPECT_EQ(decoded.width, 3000);
  EXPECT_EQ(decoded.height, 2400);
  EXPECT_EQ(folder.entries(), std::vector<std::string>{"frame.jpg"});
}

}  // namespace
}  // namespace lumavex::testing
