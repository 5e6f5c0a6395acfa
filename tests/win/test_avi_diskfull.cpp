// "Write Avi" onto a volume that is full, or that fills up while the video
// is written: one clear message, no video left (neither the target nor a
// temporary beside it), and the frames untouched. Both output types. The
// volume is an empty 4 MB tmpfs that a ctest fixture mounts and names in
// LUMAVEX_AVI_VOLUME (a Unix path; Wine shows the Unix root as Z:); each
// case fills it as far as it needs. Without it the tests skip and say why.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/avi_choices.h"
#include "writeavi/win32/convert_folder.h"
#include "avi_test_support.h"
#include "command_line_support.h"
#include "dialog_driver.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "base/utf8.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

using test::DialogDriver;
using test::ShownMessage;

constexpr int kFrames = 40;
constexpr int kWidth = 163, kHeight = 123;

std::string Messages(const std::vector<ShownMessage>& messages) {
  std::string text;
  for (const ShownMessage& m : messages) text += "[" + m.text + "] ";
  return text;
}

std::uint64_t FreeBytes(const std::string& folder) { return FreeSpaceOfVolume(folder).value_or(0); }

// Takes the volume's free space down to about `leave` bytes with a filler file.
bool FillVolume(const std::string& filler, std::uint64_t leave) {
  UniqueFile file(::CreateFileW(Widen(filler).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  ::SetFilePointer(file.get(), 0, nullptr, FILE_END);
  const std::string folder = filler.substr(0, filler.find_last_of('\\'));
  static const std::vector<char> zeros(64 * 1024);
  for (std::uint64_t free = FreeBytes(folder); free > leave; free = FreeBytes(folder)) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>(zeros.size(), free - leave));
    DWORD written = 0;
    if (!::WriteFile(file.get(), zeros.data(), chunk, &written, nullptr) || written == 0) break;
  }
  return true;
}

class AviOntoFullVolume : public ::testing::TestWithParam<AviOutput> {
 protected:
  void SetUp() override {
    std::string why;
    volume_ = test::FixtureVolume("LUMAVEX_AVI_VOLUME", why);
    if (volume_.empty()) GTEST_SKIP() << why;
    filler_ = volume_ + "\\filler.bin";
    target_ = volume_ + "\\video.avi";
    for (int i = 0; i < kFrames; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "\\Ann%07d.jpg", i);
      ASSERT_TRUE(test::WriteJpegFrame(frames_.path() + name, kWidth, kHeight, i));
    }
    sources_ = Snapshot();
  }

  void TearDown() override {
    if (volume_.empty()) return;
    ::DeleteFileW(Widen(filler_).c_str());
    ::DeleteFileW(Widen(target_).c_str());
    ::DeleteFileW(Widen(target_ + ".part").c_str());
    ::DeleteFileW(Widen(target_ + ".part.avi").c_str());
  }

  // Every frame file with its bytes (and the temporary BMP the first type
  // leaves, which is no frame).
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Snapshot() const {
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
    for (const std::string& name : test::FilesIn(frames_.path(), "*.jpg"))
      files.emplace_back(name, test::FileBytes(frames_.path() + "\\" + name));
    return files;
  }

  // Converts the frames into the target on the volume; `onFirstFrame` runs
  // when the first frame is shown, after the checks made before writing and
  // before that frame is written.
  std::vector<ShownMessage> Convert(std::function<void()> onFirstFrame = {}) {
    struct View : ConversionView {
      std::function<void()> onFirst;
      void Frames(std::shared_ptr<const FrameNames>) override {}
      void Current(int index) override {
        if (index == 0 && onFirst) std::exchange(onFirst, nullptr)();
      }
      void Preview(const Image&) override {}
      void Message(const std::string& text, MessageIcon icon) override { ShowMessage(text, icon); }
    } view;
    view.onFirst = std::move(onFirstFrame);
    ConversionRequest request;
    request.folder = frames_.path();
    AviChoices choices = UserAviChoices();
    const AviOutput output = GetParam();
    const std::string target = target_;
    choices.target = [target, output](HWND, std::string& chosen, AviOutput& type) {
      chosen = target;
      type = output;
      return true;
    };
    test::MessageRecorder recorder;
    DialogDriver driver([output](DialogDriver& d) {
      if (output != AviOutput::Compressed) return;
      HWND compression = d.Wait("Video Compression");
      if (compression && d.Choose(compression, 880, "Full Frames (Uncompressed)")) d.Click(compression, IDOK);
    });
    ConvertFolderToAvi(request, view, choices);
    driver.Finish();
    for (const std::string& failure : driver.failures()) ADD_FAILURE() << failure;
    return recorder.messages();
  }

  void ExpectNoVideoAndSourcesUntouched(bool oldTarget = false) {
    if (oldTarget)
      EXPECT_EQ(test::FileBytes(target_), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    else
      EXPECT_FALSE(test::PathIsThere(target_));
    EXPECT_FALSE(test::PathIsThere(target_ + ".part"));
    EXPECT_FALSE(test::PathIsThere(target_ + ".part.avi"));
    EXPECT_EQ(Snapshot(), sources_);
    EXPECT_EQ(test::LiveAviObjects(), 0);
  }

  test::TempFolder frames_;
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> sources_;
  std::string volume_, filler_, target_;
};

TEST_P(AviOntoFullVolume, FullVolumeIsRefusedBeforeAnythingIsWritten) {
  ASSERT_TRUE(FillVolume(filler_, 16 * 1024));

  const auto messages = Convert();

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  EXPECT_EQ(messages[0].text.rfind("The video would take ", 0), 0u) << messages[0].text;
  EXPECT_NE(messages[0].text.find(" free:\r\n" + target_ + "\r\nNothing was written."), std::string::npos)
      << messages[0].text;
  // The volume it measured, which here is the target's.
  EXPECT_NE(messages[0].text.find("but the volume " + VolumeOf(volume_) + " has only "), std::string::npos)
      << messages[0].text;
  EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
  ExpectNoVideoAndSourcesUntouched();
}

// An older file at the target, which the user chose to replace, survives.
TEST_P(AviOntoFullVolume, VolumeThatFillsWhileWritingLeavesNoVideo) {
  ASSERT_TRUE(test::WriteTextFile(target_, "old"));
  const std::uint64_t before = FreeBytes(volume_);
  ASSERT_GT(before, 3u * 1024 * 1024);

  // Room for a few frames, not for all of them: uncompressed frames take
  // 60 KB each, the Motion JPEG video about as much as the JPG files.
  const std::uint64_t room = GetParam() == AviOutput::MotionJpegCopy ? 40 * 1024 : 100 * 1024;
  const auto messages = Convert([this, room] { FillVolume(filler_, room); });

  ASSERT_EQ(messages.size(), 1u) << Messages(messages);
  const std::string opening =
      "There was an error writing the file.\r\n" + target_ + "\r\nFree space on its volume: ";
  EXPECT_EQ(messages[0].text.rfind(opening, 0), 0u) << messages[0].text;
  EXPECT_NE(messages[0].text.find("\r\nThe incomplete file was removed."), std::string::npos);
  EXPECT_EQ(messages[0].icon, MessageIcon::Information);
  ExpectNoVideoAndSourcesUntouched(/*oldTarget=*/true);
}

// From the command line: the failure is said on standard error, the exit
// code is 1 and nothing is left on the volume.
TEST_P(AviOntoFullVolume, CommandLineOntoAFullVolumeFailsAndLeavesNothing) {
  ASSERT_TRUE(FillVolume(filler_, 16 * 1024));
  const test::LumavexRun run =
      test::RunLumavex("--write-avi " + test::Quoted(frames_.path()) + " --out " + test::Quoted(target_) +
                       " --type " + (GetParam() == AviOutput::Compressed ? "avi" : "mjpeg"));
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind(frames_.path() + ": The video would take ", 0), 0u) << run.err;
  ExpectNoVideoAndSourcesUntouched();
}

INSTANTIATE_TEST_SUITE_P(Outputs, AviOntoFullVolume, test::kBothOutputs, test::OutputTestName);

}  // namespace
}  // namespace lumavex
