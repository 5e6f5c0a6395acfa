// Frames that a hostile folder holds, through both output types: headers
// that lie about the size, bytes after the end marker, JPEG kinds that not
// every Motion JPEG player reads, and targets that must survive or refuse.
// The AVI files are left in bin/avi-check-frames for tests/tools/check_avi.py.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "avi_test_support.h"
#include "base/file.h"
#include "base/utf8.h"
#include "imaging/image.h"
#include "imaging/jpeg_frame_check.h"
#include "imaging/win32/frame_decoder.h"
#include "native/mjpeg_test_frames.h"
#include "platform/files.h"
#include "support/win_test_support.h"
#include "writeavi/win32/convert_folder.h"
#include "writeavi/win32/frame_folder_claim.h"
#include "writeavi/win32/preset_choices.h"

namespace lumavex {
namespace {

constexpr int kWidth = 163, kHeight = 123;
using Bytes = std::vector<std::uint8_t>;

std::string CheckCase(const std::string& name) {
  static const std::string root = test::TestBinFolder() + "\\avi-check-frames";
  static const bool cleared = [] {
    test::RemoveTree(root);
    return MakeDirectory(root);
  }();
  EXPECT_TRUE(cleared);
  const std::string folder = root + "\\" + name;
  test::RemoveTree(folder);
  EXPECT_TRUE(MakeDirectory(folder));
  return folder;
}

bool Write(const std::string& path, const Bytes& bytes) {
  return WriteWholeFile(path, {{bytes.data(), bytes.size()}});
}

// A frame's bytes as our encoder makes them for the test pictures.
Bytes JpegFrame(int seed) {
  test::TempFolder temp;
  const std::string path = temp.path() + "\\f.jpg";
  return test::WriteJpegFrame(path, kWidth, kHeight, seed) ? test::FileBytes(path) : Bytes{};
}

// The frame with its header claiming width x height instead.
Bytes Lying(Bytes frame, int width, int height) {
  for (std::size_t i = 2; i + 9 < frame.size(); ++i) {
    if (frame[i] == 0xFF && frame[i + 1] == 0xC0) {
      frame[i + 5] = static_cast<std::uint8_t>(height >> 8);
      frame[i + 6] = static_cast<std::uint8_t>(height);
      frame[i + 7] = static_cast<std::uint8_t>(width >> 8);
      frame[i + 8] = static_cast<std::uint8_t>(width);
      break;
    }
  }
  return frame;
}

double Psnr(const Image& a, const Image& b) {
  if (a.width() != b.width() || a.height() != b.height()) return 0;
  double sum = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < 3 * a.width(); ++x) {
      const double d = double(a.RowFromTop(y)[x]) - double(b.RowFromTop(y)[x]);
      sum += d * d;
    }
  const double mse = sum / (3.0 * a.width() * a.height());
  return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::size_t PeakWorkingSetMb() {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof memory);
  return memory.PeakWorkingSetSize >> 20;
}

class AviFrames : public ::testing::TestWithParam<AviOutput> {
 protected:
  bool Copied() const { return GetParam() == AviOutput::MotionJpegCopy; }
  std::string Case(const std::string& what) const { return what + (Copied() ? "_mjpeg" : "_avi"); }

  // Converts `folder` into `target` with this test's type, asking nobody
  // (the first type takes the uncompressed compressor); `choices` may be
  // changed first. Returns what the user is told.
  std::vector<test::ShownMessage> Convert(const std::string& folder, const std::string& target,
                                          AviChoices choices = {}) {
    if (!choices.target) choices = PresetAviChoices(target, GetParam());
    test::MessagesOnlyView view;
    ConversionRequest request;
    request.folder = folder;
    test::MessageRecorder recorder;
    ConvertFolderToAvi(request, view, choices);
    return recorder.messages();
  }

  std::string Frame(const std::string& folder, const std::string& name) const { return folder + "\\" + name; }
};

// A 1.5 KB file whose header claims 60000x30000 pixels (or 20000x20000)
// reaches no decoder: it is replaced like any unreadable frame, nothing
// crashes and memory stays far below what such a picture would take.
TEST_P(AviFrames, LyingHeadersAreReplacedWithoutTheirMemory) {
  const std::string folder = CheckCase(Case("lying"));
  const std::vector<std::string> names = {"Gil0000000.jpg", "Gil0000001.jpg", "Gil0000002.jpg",
                                          "Gil0000003.jpg", "Gil0000004.jpg"};
  ASSERT_TRUE(Write(Frame(folder, names[0]), JpegFrame(1)));
  ASSERT_TRUE(Write(Frame(folder, names[1]), Lying(JpegFrame(2), 60000, 30000)));
  ASSERT_TRUE(Write(Frame(folder, names[2]), JpegFrame(3)));
  ASSERT_TRUE(Write(Frame(folder, names[3]), Lying(JpegFrame(4), 20000, 20000)));
  ASSERT_TRUE(Write(Frame(folder, names[4]), JpegFrame(5)));
  ASSERT_LT(test::FileBytes(Frame(folder, names[1])).size(), 4096u);
  const std::string target = folder + "\\" + Case("lying") + ".avi";

  const auto messages = Convert(folder, target);

  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "2 frames could not be read and were replaced by the frame before them.\r\n" +
                                  Frame(folder, names[1]));
  EXPECT_EQ(test::ReadAviSummary(target).length, 5u);
  EXPECT_EQ(test::ReadAviFrame(target, 1), test::ReadAviFrame(target, 0));
  EXPECT_EQ(test::ReadAviFrame(target, 3), test::ReadAviFrame(target, 2));
  const std::size_t peak = PeakWorkingSetMb();
  std::printf("peak working set of the test process: %zu MB\n", peak);
  EXPECT_LT(peak, 400u);
  EXPECT_TRUE(test::WriteExpectation(folder, Case("lying") + ".avi", 3, kWidth, kHeight,
                                     {names[0], names[0], names[2], names[2], names[4]}, {}, Copied()));
}

// Phone motion photos, padded camera files and a stray CR LF: the image ends
// at its end marker, and the bytes after it are no part of the frame.
TEST_P(AviFrames, BytesAfterTheEndMarkerKeepTheFrame) {
  const std::string folder = CheckCase(Case("trailing"));
  std::mt19937 random(7);
  Bytes noise(5000);
  for (std::uint8_t& b : noise) b = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random());
  const Bytes tails[] = {noise, Bytes(4096, 0), Bytes{'\r', '\n'}, JpegFrame(9)};
  std::vector<std::string> names;
  std::vector<test::ExpectedFrame> expected;
  for (int i = 0; i < 4; ++i) {
    names.push_back("Hal000000" + std::to_string(i) + ".jpg");
    Bytes frame = JpegFrame(10 + i);
    frame.insert(frame.end(), tails[i].begin(), tails[i].end());
    ASSERT_TRUE(Write(Frame(folder, names[i]), frame));
    expected.push_back({Copied() ? "trimmed" : "frame", names[i]});
  }
  const std::string target = folder + "\\" + Case("trailing") + ".avi";

  const auto messages = Convert(folder, target);

  EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0].text);
  EXPECT_EQ(test::ReadAviSummary(target).length, 4u);
  if (Copied()) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(test::ReadAviFrame(target, i), JpegFrame(10 + i)) << names[i];
  }
  EXPECT_TRUE(
      test::WriteExpectedFrames(folder, Case("trailing") + ".avi", 3, kWidth, kHeight, expected, Copied()));
}

// Progressive, arithmetic-coded and CMYK frames are decoded and encoded
// again for the Motion JPEG video, so that every packet is a frame every
// player reads, and each still shows its picture; a lossless frame, which
// the platform's decoder does not read, is unreadable in both types.
TEST_P(AviFrames, KindsNotEveryPlayerReadsAreEncodedAgain) {
  const std::string kinds = test::TestBinFolder() + "\\jpeg-kinds";
  const std::string folder = CheckCase(Case("kinds"));
  const std::vector<std::string> sources = {"baseline", "progressive", "arithmetic", "cmyk"};
  std::vector<std::string> names;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    names.push_back("Ida000000" + std::to_string(i) + ".jpg");
    const Bytes bytes = test::FileBytes(kinds + "\\" + sources[i] + ".jpg");
    ASSERT_FALSE(bytes.empty()) << "no " << sources[i] << ".jpg: the avi.kinds fixture makes them";
    ASSERT_TRUE(Write(Frame(folder, names[i]), bytes));
  }
  names.push_back("Ida0000004.jpg");
  ASSERT_TRUE(Write(Frame(folder, names[4]), testing::EncodeLosslessTestFrame(kWidth, kHeight, 3)));
  names.push_back("Ida0000005.jpg");
  ASSERT_TRUE(Write(Frame(folder, names[5]), JpegFrame(20)));
  const std::string target = folder + "\\" + Case("kinds") + ".avi";

  const auto messages = Convert(folder, target);

  ASSERT_EQ(messages.size(), 1u);
  std::string expectedText =
      "1 frame could not be read and was replaced by the frame before it.\r\n" + Frame(folder, names[4]);
  if (Copied())
    expectedText += "\r\n\r\n3 frames of a JPEG kind that not every player reads were encoded again.\r\n" +
                    Frame(folder, names[1]);
  EXPECT_EQ(messages[0].text, expectedText);
  ASSERT_EQ(test::ReadAviSummary(target).length, 6u);
  if (Copied()) {
    FrameDecoder decoder;
    for (LONG i = 0; i < 6; ++i) {
      const Bytes packet = test::ReadAviFrame(target, i);
      EXPECT_TRUE(EveryMotionJpegPlayerReads(CheckJpegFrame(packet.data(), packet.size()))) << "packet " << i;
      // Each shows the picture of its file (the lossless one, that of the frame before).
      Image shown, own;
      const std::string source = Frame(folder, names[i == 4 ? 3 : i]);
      ASSERT_TRUE(decoder.Decode(packet.data(), packet.size(), shown)) << i;
      ASSERT_TRUE(decoder.DecodeFile(source, own)) << source;
      EXPECT_GT(Psnr(shown, own), 30.0) << "packet " << i;
    }
    EXPECT_EQ(test::ReadAviFrame(target, 0), test::FileBytes(Frame(folder, names[0])));
  }
  const std::string again = Copied() ? "again" : "frame";
  EXPECT_TRUE(test::WriteExpectedFrames(folder, Case("kinds") + ".avi", 3, kWidth, kHeight,
                                        {{"frame", names[0]},
                                         {again, names[1]},
                                         {again, names[2]},
                                         {"again", names[3]},
                                         {"again", names[3]},
                                         {"frame", names[5]}},
                                        Copied()));
}

// Whenever no new video replaces it, the user's old file stays as it was:
// no frame that can be read, a cancelled compression dialog. A target that
// did not exist before may still be left as the empty video made before the
// dialog, as it always was.
TEST_P(AviFrames, TheOldTargetStaysWhenNoNewVideoReplacesIt) {
  test::TempFolder folder;
  const std::string target = folder.path() + "\\old video.avi";
  const std::string old = "the user's old video";
  ASSERT_TRUE(test::WriteTextFile(target, old));
  ASSERT_TRUE(test::WriteTextFile(folder.path() + "\\Jan0000000.jpg", "not a picture"));

  auto messages = Convert(folder.path(), target);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, "Could not load first bitmap file in list!");
  EXPECT_EQ(test::FileBytes(target), Bytes(old.begin(), old.end()));

  if (!Copied()) {
    ASSERT_TRUE(Write(folder.path() + "\\Jan0000000.jpg", JpegFrame(1)));
    AviChoices declined = PresetAviChoices(target, GetParam());
    declined.compression = [](HWND, PAVISTREAM*, AviCompressOptions&) -> INT_PTR { return 0; };
    messages = Convert(folder.path(), target, declined);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Error in getting Avi Save options");
    EXPECT_EQ(test::FileBytes(target), Bytes(old.begin(), old.end()));

    const std::string fresh = folder.path() + "\\new video.avi";
    declined.target = PresetAviChoices(fresh, GetParam()).target;
    Convert(folder.path(), fresh, declined);
    EXPECT_TRUE(test::PathIsThere(fresh));
  }
  EXPECT_EQ(test::FilesIn(folder.path(), "*.part"), std::vector<std::string>{});
}

// A read-only target, or one another program holds, is said before any
// frame is read, and stays as it was.
TEST_P(AviFrames, ATargetThatCannotBeReplacedIsSaidFirst) {
  test::TempFolder folder;
  ASSERT_TRUE(Write(folder.path() + "\\Kit0000000.jpg", JpegFrame(1)));
  const std::string target = folder.path() + "\\kept.avi";
  ASSERT_TRUE(test::WriteTextFile(target, "kept"));
  ASSERT_TRUE(::SetFileAttributesW(Widen(target).c_str(), FILE_ATTRIBUTE_READONLY));

  auto messages = Convert(folder.path(), target);
  ::SetFileAttributesW(Widen(target).c_str(), FILE_ATTRIBUTE_NORMAL);

  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "Can't open File to write, try to use different name to save.\r\n" + target +
                                  "\r\nThe file is read-only.");
  EXPECT_EQ(messages[1].text, "There was an error writing the file.");
  EXPECT_EQ(test::FileBytes(target), (Bytes{'k', 'e', 'p', 't'}));

  UniqueFile held(::CreateFileW(Widen(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  messages = Convert(folder.path(), target);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].text, "Can't open File to write, try to use different name to save.\r\n" + target +
                                  "\r\nAnother program is using the file.");
  EXPECT_EQ(test::FilesIn(folder.path(), "*.part"), std::vector<std::string>{});
}

// Another Lumavex writing the same video, or (in the first type, which reads
// every frame back through tmp.bmp) one converting the same folder: this
// conversion is refused at once and leaves the other's work alone.
TEST_P(AviFrames, AConversionAlreadyUnderWayIsNotJoined) {
  test::TempFolder folder;
  ASSERT_TRUE(Write(folder.path() + "\\Ola0000000.jpg", JpegFrame(1)));
  const std::string target = folder.path() + "\\shared.avi";
  const std::string part = PartPathOf(target);
  ASSERT_TRUE(test::WriteTextFile(target, "kept"));
  {
    // The other conversion's part file, open as the program opens its own.
    UniqueStdFile other(OpenSoleWriterUtf8(part));
    ASSERT_TRUE(other);
    ASSERT_EQ(std::fwrite("other", 1, 5, other.get()), 5u);
    ASSERT_EQ(std::fflush(other.get()), 0);
    const auto messages = Convert(folder.path(), target);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "Can't open File to write, try to use different name to save.\r\n" + target +
                                    "\r\nAnother conversion is writing this video now (" + part + ").");
    EXPECT_EQ(messages[1].text, "There was an error writing the file.");
  }
  EXPECT_EQ(test::FileBytes(part), (Bytes{'o', 't', 'h', 'e', 'r'}));
  EXPECT_EQ(test::FileBytes(target), (Bytes{'k', 'e', 'p', 't'}));
  ASSERT_EQ(RemoveFileUtf8(part), 0);

  {
    // Held under another spelling of the folder's path.
    std::string spelling = folder.path() + "\\";
    for (char& c : spelling) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const FrameFolderClaim other(spelling);
    ASSERT_TRUE(other.held());
    const auto messages = Convert(folder.path(), target);
    if (Copied()) {
      EXPECT_TRUE(messages.empty()) << (messages.empty() ? "" : messages[0].text);
      EXPECT_EQ(test::ReadAviSummary(target).length, 1u);
    } else {
      ASSERT_EQ(messages.size(), 1u);
      EXPECT_EQ(messages[0].text, FolderHeldText(folder.path()));
      EXPECT_EQ(test::FileBytes(target), (Bytes{'k', 'e', 'p', 't'}));
    }
  }
  // Once the other has finished, the folder is free again.
  EXPECT_TRUE(Convert(folder.path(), target).empty());
  EXPECT_EQ(test::ReadAviSummary(target).length, 1u);
  EXPECT_EQ(test::FilesIn(folder.path(), "*.part"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Outputs, AviFrames, test::kBothOutputs, test::OutputTestName);

}  // namespace
}  // namespace lumavex
