#include "imaging/cdib.h"
#include "base/message.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using lumavex::cDib;
using lumavex::MessageIcon;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Put16(Bytes& b, std::size_t at, std::uint16_t v) {
  b[at] = static_cast<std::uint8_t>(v);
  b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A well-formed BMP file: 40-byte info header, optional palette (or masks),
// pixel bytes in a pattern that differs per `seed`.
struct BmpLayout {
  std::int32_t width = 16;
  std::int32_t height = 16;
  std::uint16_t bits = 24;
  std::uint32_t tableBytes = 0;  // palette or bit masks between header and pixels
  std::uint32_t compression = 0;
  bool statesImageSize = true;
  std::uint8_t seed = 1;
};

std::uint32_t PaddedImageBytes(const BmpLayout& l) {
  const std::uint32_t row = (static_cast<std::uint32_t>(l.width) * l.bits + 31) / 32 * 4;
  return row * static_cast<std::uint32_t>(l.height < 0 ? -l.height : l.height);
}

Bytes MakeBmp(const BmpLayout& l) {
  const std::uint32_t offset = 54 + l.tableBytes;
  const std::uint32_t image = PaddedImageBytes(l);
  Bytes b(offset + image);
  b[0] = 'B';
  b[1] = 'M';
  Put32(b, 2, static_cast<std::uint32_t>(b.size()));
  Put32(b, 10, offset);
  Put32(b, 14, 40);
  Put32(b, 18, static_cast<std::uint32_t>(l.width));
  Put32(b, 22, static_cast<std::uint32_t>(l.height));
  Put16(b, 26, 1);
  Put16(b, 28, l.bits);
  Put32(b, 30, l.compression);
  Put32(b, 34, l.statesImageSize ? image : 0);
  Put32(b, 38, 2835);
  Put32(b, 42, 2834);
  Put32(b, 46, l.tableBytes / 4);
  Put32(b, 50, 3);
  for (std::size_t i = 54; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + l.seed);
  return b;
}

// Everything a caller can observe, to show a rejected load changed nothing.
struct Observed {
  std::vector<std::int32_t> properties;
  Bytes bitmapInfo;
  Bytes pixels;
  const void* bitsAddress;
};

Observed Observe(const cDib& dib) {
  Observed o;
  o.properties = {dib.BitCount(),       dib.Height(),    dib.Width(),         dib.Compression(),
                  dib.SizeInfoHeader(), dib.SizeImage(), dib.Planes(),        dib.ClrImportant(),
                  dib.ClrUsed(),        dib.XPPM(),      dib.YPPM(),          dib.FileType(),
                  dib.SizeFileHeader(), dib.BitOffset(), dib.SizeBitmapInfo()};
  if (dib.PointerToBitmapInfo())
    o.bitmapInfo.assign(dib.PointerToBitmapInfo(), dib.PointerToBitmapInfo() + dib.SizeBitmapInfo());
  if (dib.PointerToBits()) o.pixels.assign(dib.PointerToBits(), dib.PointerToBits() + dib.SizeImage());
  o.bitsAddress = dib.PointerToBits();
  return o;
}

void ExpectSame(const Observed& before, const Observed& after) {
  EXPECT_EQ(before.properties, after.properties);
  EXPECT_EQ(before.bitmapInfo, after.bitmapInfo);
  EXPECT_EQ(before.pixels, after.pixels);
  EXPECT_EQ(before.bitsAddress, after.bitsAddress);
}

class CDibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() / ("lumavex_cdib_" + std::to_string(::getpid()) + "_" + info->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    previousHandler_ = lumavex::SetMessageHandler(
        [this](const std::string& text, MessageIcon icon) { shown_.emplace_back(text, icon); });
  }
  void TearDown() override {
    lumavex::SetMessageHandler(std::move(previousHandler_));
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  std::string Write(const std::string& name, const Bytes& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  static Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  // Loads a valid bitmap so later failures can be checked against it.
  void LoadBaseline() {
    ASSERT_TRUE(dib_.CreateFromFile(Write("baseline.bmp", MakeBmp({}))));
    shown_.clear();
  }
  void ExpectOnlyMessage(const std::string& text, MessageIcon icon) {
    ASSERT_EQ(shown_.size(), 1u);
    EXPECT_EQ(shown_[0].first, text);
    EXPECT_EQ(shown_[0].second, icon);
  }
  // Loading `path` fails with exactly this message and leaves the bitmap as it was.
  void ExpectRejected(const std::string& path, const std::string& text, MessageIcon icon,
                      const Observed& before) {
    EXPECT_FALSE(dib_.CreateFromFile(path));
    ExpectOnlyMessage(text, icon);
    ExpectSame(before, Observe(dib_));
  }
  static std::string Unsupported(const std::string& path) {
    return "File is not a supported bitmap format:\r\n" + path;
  }

  fs::path dir_;
  std::vector<std::pair<std::string, MessageIcon>> shown_;
  lumavex::MessageHandler previousHandler_;
  cDib dib_;
};

TEST_F(CDibTest, EmptyObjectHasNoBuffers) {
  cDib dib;
  EXPECT_EQ(dib.PointerToBits(), nullptr);
  EXPECT_EQ(dib.PointerToBitmapInfo(), nullptr);
  EXPECT_EQ(dib.SizeBitmapInfo(), 0);
  EXPECT_EQ(dib.FileType(), 0);
}

TEST_F(CDibTest, Reads24BitFile) {
  const Bytes file = MakeBmp({});
  ASSERT_TRUE(dib_.CreateFromFile(Write("a.bmp", file)));
  EXPECT_TRUE(shown_.empty());
  EXPECT_EQ(dib_.Width(), 16);
  EXPECT_EQ(dib_.Height(), 16);
  EXPECT_EQ(dib_.SizeImage(), 768);
  EXPECT_EQ(dib_.SizeBitmapInfo(), 40);
  EXPECT_EQ(dib_.BitOffset(), 54);
  EXPECT_EQ(dib_.FileType(), 19778);
  EXPECT_EQ(dib_.SizeFileHeader(), static_cast<std::int32_t>(file.size()));
  EXPECT_EQ(dib_.BitCount(), 24);
  EXPECT_EQ(dib_.Planes(), 1);
  EXPECT_EQ(dib_.SizeInfoHeader(), 40);
  EXPECT_EQ(dib_.Compression(), 0);
  EXPECT_EQ(dib_.XPPM(), 2835);
  EXPECT_EQ(dib_.YPPM(), 2834);
  EXPECT_EQ(dib_.ClrUsed(), 0);
  EXPECT_EQ(dib_.ClrImportant(), 3);
  EXPECT_EQ(Bytes(dib_.PointerToBits(), dib_.PointerToBits() + 768), Bytes(file.begin() + 54, file.end()));
  EXPECT_EQ(Bytes(dib_.PointerToBitmapInfo(), dib_.PointerToBitmapInfo() + 40),
            Bytes(file.begin() + 14, file.begin() + 54));
}

TEST_F(CDibTest, Reads8BitFileWithPaletteAsBitmapInfo) {
  BmpLayout layout;
  layout.bits = 8;
  layout.tableBytes = 1024;
  const Bytes file = MakeBmp(layout);
  ASSERT_TRUE(dib_.CreateFromFile(Write("p.bmp", file)));
  EXPECT_EQ(dib_.BitOffset(), 1078);
  EXPECT_EQ(dib_.SizeBitmapInfo(), 1064);
  EXPECT_EQ(dib_.SizeImage(), 256);
  EXPECT_EQ(Bytes(dib_.PointerToBitmapInfo(), dib_.PointerToBitmapInfo() + 1064),
            Bytes(file.begin() + 14, file.begin() + 1078));
}

TEST_F(CDibTest, TopDownHeightIsKeptNegative) {
  BmpLayout layout;
  layout.height = -5;
  ASSERT_TRUE(dib_.CreateFromFile(Write("t.bmp", MakeBmp(layout))));
  EXPECT_EQ(dib_.Height(), -5);
  EXPECT_EQ(dib_.SizeImage(), 48 * 5);
}

TEST_F(CDibTest, LaterLoadReplacesBuffers) {
  LoadBaseline();
  BmpLayout layout;
  layout.width = 3;
  layout.height = 2;
  layout.seed = 9;
  const Bytes file = MakeBmp(layout);
  ASSERT_TRUE(dib_.CreateFromFile(Write("b.bmp", file)));
  EXPECT_EQ(dib_.Width(), 3);
  EXPECT_EQ(dib_.SizeImage(), 24);
  EXPECT_EQ(Bytes(dib_.PointerToBits(), dib_.PointerToBits() + 24), Bytes(file.begin() + 54, file.end()));
}

TEST_F(CDibTest, WrongSignatureKeepsBitmapButTakesFileHeader) {
  LoadBaseline();
  const Observed before = Observe(dib_);
  Bytes file = MakeBmp({});
  file[1] = 'X';
  Put32(file, 10, 99);
  const std::string path = Write("x.bmp", file);
  EXPECT_FALSE(dib_.CreateFromFile(path));
  ExpectOnlyMessage(Unsupported(path), MessageIcon::Information);

  const Observed after = Observe(dib_);
  EXPECT_EQ(after.pixels, before.pixels);
  EXPECT_EQ(after.bitmapInfo, before.bitmapInfo);
  EXPECT_EQ(dib_.SizeImage(), 768);
  EXPECT_EQ(dib_.FileType(), 'B' | ('X' << 8));
  EXPECT_EQ(dib_.BitOffset(), 99);
}

TEST_F(CDibTest, EmptyAndOneByteFilesAreNotBitmaps) {
  for (const Bytes& file : {Bytes{}, Bytes{'B'}}) {
    LoadBaseline();
    const std::string path = Write("short.bmp", file);
    EXPECT_FALSE(dib_.CreateFromFile(path));
    ExpectOnlyMessage(Unsupported(path), MessageIcon::Information);
    EXPECT_EQ(dib_.SizeImage(), 768);
  }
}

TEST_F(CDibTest, MissingFileOrFolderIsReportedAsMissing) {
  LoadBaseline();
  const Observed before = Observe(dib_);
  for (const std::string path : {(dir_ / "nothing.bmp").string(), dir_.string(), std::string()}) {
    shown_.clear();
    ExpectRejected(path, "File does not exist:\r\n" + path, MessageIcon::Error, before);
  }
}

TEST_F(CDibTest, OpenDeniedIsReportedAsLocked) {
  LoadBaseline();
  const Observed before = Observe(dib_);
  std::string path;
  if (::geteuid() != 0) {
    path = Write("locked.bmp", MakeBmp({}));
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  } else {
    // Root passes permission bits, but not those of write-only kernel settings.
    path = "/proc/sys/vm/compact_memory";
    std::FILE* probe = std::fopen(path.c_str(), "rb");
    const int error = errno;
    if (probe != nullptr) std::fclose(probe);
    if (probe != nullptr || error != EACCES)
      GTEST_SKIP() << "running as root and " << path << " does not deny reading here";
  }
  ExpectRejected(path, "File is locked - cannot access:\r\n" + path, MessageIcon::Error, before);
}

TEST_F(CDibTest, OtherOpenErrorShowsPlatformText) {
  LoadBaseline();
  const Observed before = Observe(dib_);
  const std::string path = Write("a.bmp", MakeBmp({}));

  // Use up every descriptor under a lowered limit so that the open itself fails.
  rlimit original{};
  ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &original), 0);
  rlimit lowered = original;
  if (lowered.rlim_cur > 64) lowered.rlim_cur = 64;
  ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &lowered), 0);
  std::vector<int> held;
  for (int fd; (fd = ::open("/dev/null", O_RDONLY)) >= 0;) held.push_back(fd);
  const int exhausted = errno;
  const bool loaded = dib_.CreateFromFile(path);
  for (int fd : held) ::close(fd);
  ::setrlimit(RLIMIT_NOFILE, &original);

  ASSERT_EQ(exhausted, EMFILE);
  EXPECT_FALSE(loaded);
  ExpectOnlyMessage(std::strerror(EMFILE), MessageIcon::Information);
  ExpectSame(before, Observe(dib_));
}

struct Malformed {
  const char* name;
  void (*damage)(Bytes&);
};

class CDibMalformedTest : public CDibTest, public ::testing::WithParamInterface<Malformed> {};

TEST_P(CDibMalformedTest, IsRejectedAndKeepsPreviousBitmap) {
  LoadBaseline();
  const Observed before = Observe(dib_);
  Bytes file = MakeBmp({});
  GetParam().damage(file);
  const std::string path = Write("bad.bmp", file);
  ExpectRejected(path, Unsupported(path), MessageIcon::Information, before);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, CDibMalformedTest,
    ::testing::Values(Malformed{"ImageSizeNegative", [](Bytes& b) { Put32(b, 34, 0x80000000u); }},
                      Malformed{"ImageSizeBeyondFile", [](Bytes& b) { Put32(b, 34, 769); }},
                      Malformed{"ImageSizeHuge", [](Bytes& b) { Put32(b, 34, 0x7FFFFFFFu); }},
                      Malformed{"ImageSizeZeroCompressed",
                                [](Bytes& b) {
                                  Put32(b, 34, 0);
                                  Put32(b, 30, 1);
                                }},
                      Malformed{"ImageSizeZeroWidthZero",
                                [](Bytes& b) {
                                  Put32(b, 34, 0);
                                  Put32(b, 18, 0);
                                }},
                      Malformed{"ImageSizeZeroWidthNegative",
                                [](Bytes& b) {
                                  Put32(b, 34, 0);
                                  Put32(b, 18, 0xFFFFFFF0u);
                                }},
                      Malformed{"ImageSizeZeroNoBits",
                                [](Bytes& b) {
                                  Put32(b, 34, 0);
                                  Put16(b, 28, 0);
                                }},
                      Malformed{"ImageSizeZeroOverflowing",
                                [](Bytes& b) {
                                  Put32(b, 34, 0);
                                  Put32(b, 18, 0x7FFFFFFFu);
                                  Put32(b, 22, 0x80000000u);
                                  Put16(b, 28, 0xFFFF);
                                }},
                      Malformed{"OffsetZero", [](Bytes& b) { Put32(b, 10, 0); }},
                      Malformed{"OffsetFourteen", [](Bytes& b) { Put32(b, 10, 14); }},
                      Malformed{"OffsetAtEndOfFile",
                                [](Bytes& b) { Put32(b, 10, static_cast<std::uint32_t>(b.size())); }},
                      Malformed{"OffsetBeyondFile", [](Bytes& b) { Put32(b, 10, 0xFFFFFFFFu); }},
                      Malformed{"InfoHeaderSizeZero", [](Bytes& b) { Put32(b, 14, 0); }},
                      Malformed{"InfoHeaderSizeNegative", [](Bytes& b) { Put32(b, 14, 0xFFFFFFD8u); }},
                      Malformed{"InfoHeaderRunsIntoPixels", [](Bytes& b) { Put32(b, 14, 41); }},
                      Malformed{"InfoHeaderSmallerThanForty", [](Bytes& b) { Put32(b, 14, 12); }},
                      Malformed{"OffsetInsideInfoHeader",
                                [](Bytes& b) {
                                  Put32(b, 14, 12);
                                  Put32(b, 10, 26);
                                }},
                      Malformed{"PixelsTruncated", [](Bytes& b) { b.pop_back(); }},
                      Malformed{"InfoHeaderTruncated", [](Bytes& b) { b.resize(30); }},
                      Malformed{"FileHeaderOnly", [](Bytes& b) { b.resize(14); }}),
    [](const ::testing::TestParamInfo<Malformed>& info) { return std::string(info.param.name); });

TEST_F(CDibTest, ZeroImageSizeIsComputedForUncompressedData) {
  BmpLayout layout;
  layout.width = 3;  // 9 bytes a row, padded to 12
  layout.height = -2;
  layout.statesImageSize = false;
  const Bytes file = MakeBmp(layout);
  ASSERT_TRUE(dib_.CreateFromFile(Write("z.bmp", file)));
  EXPECT_EQ(dib_.SizeImage(), 24);
  EXPECT_EQ(Bytes(dib_.PointerToBits(), dib_.PointerToBits() + 24), Bytes(file.begin() + 54, file.end()));
  // The bitmap information states the size it now describes.
  const std::uint8_t* info = dib_.PointerToBitmapInfo();
  EXPECT_EQ(info[20] | (info[21] << 8) | (info[22] << 16) | (info[23] << 24), 24);

  layout = BmpLayout{};
  layout.bits = 32;
  layout.compression = 3;
  layout.tableBytes = 12;
  layout.statesImageSize = false;
  ASSERT_TRUE(dib_.CreateFromFile(Write("f.bmp", MakeBmp(layout))));
  EXPECT_EQ(dib_.SizeImage(), 16 * 16 * 4);
  EXPECT_EQ(dib_.SizeBitmapInfo(), 52);
}

TEST_F(CDibTest, WriteToFileReproducesTheFile) {
  BmpLayout layout;
  layout.bits = 8;
  layout.tableBytes = 1024;
  const Bytes file = MakeBmp(layout);
  ASSERT_TRUE(dib_.CreateFromFile(Write("in.bmp", file)));
  const std::string out = (dir_ / "out.bmp").string();
  ASSERT_TRUE(dib_.WriteToFile(out));
  EXPECT_EQ(Read(out), file);
}

TEST_F(CDibTest, WriteToFileTruncatesLongerFile) {
  const Bytes file = MakeBmp({});
  ASSERT_TRUE(dib_.CreateFromFile(Write("in.bmp", file)));
  Bytes longer = file;
  longer.resize(file.size() + 500, 0xEE);
  const std::string out = Write("out.bmp", longer);
  ASSERT_TRUE(dib_.WriteToFile(out));
  EXPECT_EQ(Read(out), file);
}

TEST_F(CDibTest, WriteToFileReportsFailure) {
  LoadBaseline();
  EXPECT_FALSE(dib_.WriteToFile((dir_ / "no such folder" / "out.bmp").string()));
  EXPECT_FALSE(dib_.WriteToFile(dir_.string()));
  EXPECT_TRUE(shown_.empty());
}

// A packed bitmap: 40-byte info header directly followed by the pixels.
Bytes MakePacked(std::uint16_t bits, std::uint32_t imageSize) {
  Bytes b(40 + imageSize);
  Put32(b, 0, 40);
  Put32(b, 4, 4);
  Put32(b, 8, 2);
  Put16(b, 12, 1);
  Put16(b, 14, bits);
  Put32(b, 20, imageSize);
  for (std::size_t i = 40; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 3);
  return b;
}

TEST_F(CDibTest, PackedDibBecomesAFileLayout) {
  const Bytes packed = MakePacked(32, 32);
  ASSERT_TRUE(dib_.CreateFromPackedDIBPointer(packed.data()));
  EXPECT_EQ(dib_.FileType(), 19778);
  EXPECT_EQ(dib_.BitOffset(), 54);
  EXPECT_EQ(dib_.SizeFileHeader(), 54 + 32);
  EXPECT_EQ(dib_.SizeBitmapInfo(), 40);
  EXPECT_EQ(dib_.BitCount(), 32);
  EXPECT_EQ(Bytes(dib_.PointerToBitmapInfo(), dib_.PointerToBitmapInfo() + 40),
            Bytes(packed.begin(), packed.begin() + 40));
  EXPECT_EQ(Bytes(dib_.PointerToBits(), dib_.PointerToBits() + 32), Bytes(packed.begin() + 40, packed.end()));

  // Written out it is a file the reader takes back unchanged.
  const std::string out = (dir_ / "packed.bmp").string();
  ASSERT_TRUE(dib_.WriteToFile(out));
  cDib again;
  ASSERT_TRUE(again.CreateFromFile(out));
  EXPECT_EQ(Observe(again).properties, Observe(dib_).properties);
  EXPECT_EQ(Observe(again).pixels, Observe(dib_).pixels);
}

TEST_F(CDibTest, PackedDibRejectionsChangeNothing) {
  LoadBaseline();
  const Observed before = Observe(dib_);
  EXPECT_FALSE(dib_.CreateFromPackedDIBPointer(MakePacked(8, 32).data()));
  EXPECT_FALSE(dib_.CreateFromPackedDIBPointer(MakePacked(24, 0).data()));
  Bytes negative = MakePacked(24, 32);
  Put32(negative, 20, 0x80000000u);
  EXPECT_FALSE(dib_.CreateFromPackedDIBPointer(negative.data()));
  EXPECT_FALSE(dib_.CreateFromPackedDIBPointer(nullptr));
  const Bytes packed = MakePacked(24, 32);
  EXPECT_FALSE(dib_.CreateFromPackedDIBPointer(packed.data(), packed.size() - 1));
  EXPECT_FALSE(dib_.CreateFromPackedDIBPointer(packed.data(), 39));
  EXPECT_TRUE(shown_.empty());
  ExpectSame(before, Observe(dib_));
  EXPECT_TRUE(dib_.CreateFromPackedDIBPointer(packed.data(), packed.size()));
  EXPECT_EQ(dib_.SizeImage(), 32);
}

}  // namespace
