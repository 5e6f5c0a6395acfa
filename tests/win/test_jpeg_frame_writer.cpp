// SavePictureAsJpeg under Wine: the record handed to the library, the file it
// writes, and the two failure messages, including writes that fail part-way.
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "imaging/win32/capture.h"
#include "imaging/win32/jpeg_frame_writer.h"
#include "imaging/win32/image_picture.h"
#include "base/file.h"
#include "platform/files.h"
#include "platform/picture.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

// Library calls that count, remember the record as jpegWrite saw it, and can
// be told to fail; by default they forward to the real library.
struct FakeLibrary {
  int initResult = JPEG_OK;
  bool realWrite = true;
  int writeResult = JPEG_OK;  // when not realWrite
  int inits = 0, writes = 0, frees = 0, ioType = -1;
  JpegCoreProperties seen{};
  std::string fileSeen;
};
FakeLibrary* g_fake = nullptr;

int FakeInit(JpegCoreProperties* p) {
  ++g_fake->inits;
  return g_fake->initResult != JPEG_OK ? g_fake->initResult : jpegInit(p);
}
int FakeWrite(JpegCoreProperties* p, int ioType) {
  ++g_fake->writes;
  g_fake->ioType = ioType;
  g_fake->seen = *p;
  g_fake->fileSeen = p->JPGFile ? p->JPGFile : "";
  return g_fake->realWrite ? jpegWrite(p, ioType) : g_fake->writeResult;
}
int FakeFree(JpegCoreProperties* p) {
  ++g_fake->frees;
  return jpegFree(p);
}
const JpegLibraryCalls kFakeLibrary{FakeInit, FakeWrite, FakeFree};

struct Rgb {
  int r, g, b;
};
// Four quadrants: top-left red, top-right green, bottom-left blue,
// bottom-right yellow. A flipped or channel-swapped file shows at once.
constexpr Rgb kQuadrants[4] = {{220, 30, 30}, {30, 200, 40}, {30, 40, 220}, {230, 220, 20}};

// A section of w x h holding the quadrant picture, copied in from a bitmap
// picture as the recording loop does it.
void FillQuadrants(cDIBSection& section, int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  ASSERT_TRUE(bitmap);
  const int stride = (3 * w + 3) & ~3;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgb& c = kQuadrants[(x >= w / 2) + 2 * (y >= h / 2)];
      auto* p = static_cast<std::uint8_t*>(bits) + y * stride + 3 * x;
      p[0] = static_cast<std::uint8_t>(c.b);
      p[1] = static_cast<std::uint8_t>(c.g);
      p[2] = static_cast<std::uint8_t>(c.r);
    }
  Picture picture = CreateBitmapPicture(std::move(bitmap), UniquePalette());
  ASSERT_TRUE(picture);
  section.CreateFromPicture(picture.get());
  ASSERT_NE(section.DIBSectionBitsPtr(), nullptr);
}

// Noise compresses badly: its JPEG is far larger than the picture is wide.
void FillNoise(cDIBSection& section, int w, int h) {
  ASSERT_TRUE(section.Create(w, h));
  std::uint32_t state = 12345;
  std::uint8_t* bits = section.DIBSectionBitsPtr();
  for (DWORD i = 0; i < section.Header().biSizeImage; ++i) {
    state = state * 1664525u + 1013904223u;
    bits[i] = static_cast<std::uint8_t>(state >> 24);
  }
}

class JpegFrameWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    g_fake = &fake_;
  }
  void TearDown() override {
    g_fake = nullptr;
    ::OleUninitialize();
  }
  void ExpectOneMessage(const std::string& text) {
    ASSERT_EQ(messages_.messages().size(), 1u);
    EXPECT_EQ(messages_.messages()[0].text, text);
    EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::Exclamation);
  }

  FakeLibrary fake_;
  test::MessageRecorder messages_;
  test::TempFolder folder_;
};

TEST_F(JpegFrameWriter, RecordDescribesTheSectionBottomUpWithItsPadding) {
  fake_.realWrite = false;
  const struct { int width, height, pad; } cases[] = {{163, 123, 3}, {160, 120, 0}, {1, 1, 1}, {2, 5, 2}};
  for (const auto& c : cases) {
    cDIBSection section;
    ASSERT_TRUE(section.Create(c.width, c.height));
    fake_ = FakeLibrary{};
    fake_.realWrite = false;
    const std::string name = folder_.path() + "\\frame " + std::to_string(c.width) + ".jpg";
    EXPECT_TRUE(SavePictureAsJpeg(section, name, 70, kFakeLibrary));
    const JpegCoreProperties& p = fake_.seen;
    EXPECT_EQ(p.DIBPadBytes, c.pad) << c.width;
    EXPECT_EQ(p.DIBWidth, c.width);
    EXPECT_EQ(p.DIBHeight, -c.height);
    EXPECT_EQ(p.JPGWidth, c.width);
    EXPECT_EQ(p.JPGHeight, c.height);
    EXPECT_EQ(p.DIBBytes, section.DIBSectionBitsPtr());
    EXPECT_EQ(p.jquality, 70);
    EXPECT_EQ(fake_.fileSeen, name);
    EXPECT_EQ(fake_.ioType, JPEG_JFILE_WRITEWHOLEIMAGE);
    // What the writer does not set keeps the library's defaults.
    EXPECT_EQ(p.DIBChannels, 3);
    EXPECT_EQ(p.DIBColor, JPEG_COLOR_BGR);
    EXPECT_EQ(p.JPGColor, JPEG_COLOR_YCBCR);
    EXPECT_EQ(fake_.inits, 1);
    EXPECT_EQ(fake_.writes, 1);
    EXPECT_EQ(fake_.frees, 1);
  }
  EXPECT_TRUE(messages_.messages().empty());
  EXPECT_TRUE(test::FilesIn(folder_.path()).empty());  // the fake wrote nothing
}

TEST_F(JpegFrameWriter, WrittenFileShowsThePictureUprightWithColoursInPlace) {
  cDIBSection section;
  FillQuadrants(section, 163, 123);
  const std::string path = folder_.path() + "\\frame.jpg";
  ASSERT_TRUE(SavePictureAsJpeg(section, path, 90));
  EXPECT_TRUE(messages_.messages().empty());
  EXPECT_EQ(test::FilesIn(folder_.path()), std::vector<std::string>{"frame.jpg"});

  Picture decoded = LoadPicture(path);
  ASSERT_TRUE(decoded);
  const SIZE size = PictureSizePixels(decoded.get());
  ASSERT_EQ(size.cx, 163);
  ASSERT_EQ(size.cy, 123);
  Image image;
  ASSERT_TRUE(ImageOfBitmap(PictureBitmap(decoded.get()), image));
  const std::vector<std::uint8_t>& rows = image.pixels();
  const std::size_t stride = 492;
  for (int q = 0; q < 4; ++q) {
    const int x = q % 2 ? 122 : 40;  // quadrant centres, y from the top
    const int y = q / 2 ? 92 : 30;
    const std::size_t i = static_cast<std::size_t>(122 - y) * stride + 3 * x;  // bottom-up rows
    const Rgb got{std::uint8_t(rows[i + 2]), std::uint8_t(rows[i + 1]), std::uint8_t(rows[i])};
    EXPECT_NEAR(got.r, kQuadrants[q].r, 16) << "quadrant " << q;
    EXPECT_NEAR(got.g, kQuadrants[q].g, 16) << "quadrant " << q;
    EXPECT_NEAR(got.b, kQuadrants[q].b, 16) << "quadrant " << q;
  }
}

TEST_F(JpegFrameWriter, FailedInitialisationShowsItsCodeAndCallsNothingElse) {
  cDIBSection section;
  FillQuadrants(section, 16, 16);
  fake_.initResult = -7;
  EXPECT_FALSE(SavePictureAsJpeg(section, folder_.path() + "\\frame.jpg", 70, kFakeLibrary));
  ExpectOneMessage("Failed to initialise the JPEG library: -7");
  EXPECT_EQ(fake_.writes, 0);
  EXPECT_EQ(fake_.frees, 0);
  EXPECT_TRUE(test::FilesIn(folder_.path()).empty());
}

TEST_F(JpegFrameWriter, WriteIntoAVanishedFolderFailsOnceAndLeavesNoFile) {
  cDIBSection section;
  FillQuadrants(section, 163, 123);
  const std::string gone = folder_.path() + "\\gone";
  ASSERT_TRUE(MakeDirectory(gone));
  ASSERT_TRUE(::RemoveDirectoryA(gone.c_str()));
  EXPECT_FALSE(SavePictureAsJpeg(section, gone + "\\frame.jpg", 70, kFakeLibrary));
  ExpectOneMessage("Failed to save to JPG, seems webcam window is closed or no space left.");
  EXPECT_EQ(fake_.writes, 1);
  EXPECT_EQ(fake_.frees, 1);
  EXPECT_FALSE(PathExists(gone));
  EXPECT_TRUE(test::FilesIn(folder_.path()).empty());
}

TEST_F(JpegFrameWriter, RefusedWriteAndQualityOutOfRangeGiveTheSecondMessage) {
  cDIBSection section;
  FillQuadrants(section, 16, 16);
  fake_.realWrite = false;
  fake_.writeResult = JPEG_ERR_OUT_OF_MEMORY;
  EXPECT_FALSE(SavePictureAsJpeg(section, folder_.path() + "\\a.jpg", 70, kFakeLibrary));
  ExpectOneMessage("Failed to save to JPG, seems webcam window is closed or no space left.");
  EXPECT_EQ(fake_.frees, 1);

  // The quality goes to the library unchanged, which refuses 0.
  messages_.clear();
  EXPECT_FALSE(SavePictureAsJpeg(section, folder_.path() + "\\b.jpg", 0));
  ExpectOneMessage("Failed to save to JPG, seems webcam window is closed or no space left.");
  EXPECT_TRUE(test::FilesIn(folder_.path()).empty());
}

TEST_F(JpegFrameWriter, SectionWithoutPixelsIsAFailedWriteThatReadsNothing) {
  cDIBSection section;
  ASSERT_TRUE(section.Create(64, 48));
  section.ClearUp();  // reports 64 x 48, holds no pixels
  ASSERT_EQ(section.DIBSectionBitsPtr(), nullptr);
  EXPECT_FALSE(SavePictureAsJpeg(section, folder_.path() + "\\frame.jpg", 70, kFakeLibrary));
  ExpectOneMessage("Failed to save to JPG, seems webcam window is closed or no space left.");
  EXPECT_EQ(fake_.writes, 0);
  EXPECT_EQ(fake_.frees, 1);
  EXPECT_TRUE(test::FilesIn(folder_.path()).empty());
}

// A folder on the small, nearly full tmpfs that a ctest fixture mounts before
// this program and names in LUMAVEX_FULL_VOLUME (a Unix path; Wine shows the
// Unix root as Z:). Without it the test that uses it is skipped with the reason.
class TinyVolume {
 public:
  TinyVolume() {
    const std::string root = test::FixtureVolume("LUMAVEX_FULL_VOLUME", reason_);
    if (root.empty()) return;
    path_ = root + "\\jpeg-writer";
    if (!MakeDirectory(path_)) reason_ = "cannot make a folder on the full volume";
  }
  ~TinyVolume() {
    if (!path_.empty()) ::RemoveDirectoryA(path_.c_str());
  }
  TinyVolume(const TinyVolume&) = delete;
  TinyVolume& operator=(const TinyVolume&) = delete;

  bool ok() const { return reason_.empty(); }
  const std::string& reason() const { return reason_; }
  const std::string& path() const { return path_; }

 private:
  std::string path_, reason_;
};

TEST_F(JpegFrameWriter, WriteFailingPartWayOnAFullVolumeLeavesNoFile) {
  TinyVolume volume;
  if (!volume.ok()) GTEST_SKIP() << volume.reason();

  // The volume takes a small frame...
  cDIBSection small;
  FillQuadrants(small, 16, 16);
  const std::string smallPath = volume.path() + "\\small.jpg";
  ASSERT_TRUE(SavePictureAsJpeg(small, smallPath, 70, kFakeLibrary));
  ASSERT_EQ(RemoveFileUtf8(smallPath), 0);

  // ...but not a noise frame several times its size, which therefore fails
  // after the first parts of it were written.
  cDIBSection noise;
  FillNoise(noise, 320, 240);
  const std::string roomy = folder_.path() + "\\noise.jpg";
  ASSERT_TRUE(SavePictureAsJpeg(noise, roomy, 90));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(ReadWholeFile(roomy, bytes));
  ASSERT_GT(bytes.size(), 4u * 16384u);
  {
    // Control: a plain write of those bytes stops part-way and leaves a
    // truncated file, which is what the frame writer must never leave.
    const std::string plain = volume.path() + "\\plain.jpg";
    std::FILE* file = std::fopen(plain.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const bool wroteAll = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    EXPECT_FALSE(wroteAll && closed);
    std::vector<std::uint8_t> truncated;
    ASSERT_TRUE(ReadWholeFile(plain, truncated));
    EXPECT_GT(truncated.size(), 0u);
    EXPECT_LT(truncated.size(), bytes.size());
    ASSERT_EQ(RemoveFileUtf8(plain), 0);
  }

  fake_ = FakeLibrary{};
  EXPECT_FALSE(SavePictureAsJpeg(noise, volume.path() + "\\frame.jpg", 90, kFakeLibrary));
  ExpectOneMessage("Failed to save to JPG, seems webcam window is closed or no space left.");
  EXPECT_EQ(fake_.frees, 1);
  EXPECT_TRUE(test::FilesIn(volume.path()).empty()) << "a truncated frame or its temporary was left";
}

}  // namespace
}  // namespace lumavex
