// Recording onto a volume that fills up: the JPEG writer's warning shows
// once, the recording halts, and every frame written before is whole. The
// volume is a tiny, nearly full tmpfs that a ctest fixture mounts (as root)
// and names in LUMAVEX_FULL_VOLUME; without it the test skips and says why.
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "app/frame_naming.h"
#include "discovery/discovery.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

// The fixture gives the volume's Unix path; Wine shows the Unix root as Z:.
std::string WindowsPathOf(std::string unixPath) {
  for (char& c : unixPath)
    if (c == '/') c = '\\';
  return "Z:" + unixPath;
}

TEST(RecordingDiskFull, FullVolumeShowsOneJpegWarningHaltsAndKeepsEarlierFramesWhole) {
  const char* env = std::getenv("LUMAVEX_FULL_VOLUME");
  if (!env || !*env) GTEST_SKIP() << "LUMAVEX_FULL_VOLUME is not set (the ctest fixture mounts the volume)";
  const std::string volume = WindowsPathOf(env);
  if (!FileExists(volume + "\\lumavex-full-volume")) {
    std::vector<std::uint8_t> reason;
    ReadWholeFile(volume + "\\skip-reason.txt", reason);
    GTEST_SKIP() << "no small full volume at " << volume << ": "
                 << (reason.empty() ? std::string("the fixture did not mount it")
                                    : std::string(reason.begin(), reason.end()));
  }

  ::OleInitialize(nullptr);
  {
    test::DemoWindow demo("Fay --still --pos 60 60", "Fay - Conversation");
    ASSERT_TRUE(demo.ok());
    test::TempFolder samples;
    SetSampleFilePath(samples.path() + "\\lumavex_pixel.bmp");
    test::MessageRecorder messages;
    auto form = test::OpenRecordingForm(volume);
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(test::SelectRowOf(*form, demo.hwnd()));

    ::SendMessageA(form->Start, BM_CLICK, 0, 0);
    ASSERT_TRUE(messages.messages().empty()) << messages.messages()[0].text;
    ASSERT_TRUE(form->Timer1.Running());
    int ticks = 0;
    while (form->Timer1.Running() && ticks < 500) {
      form->Timer1_Timer();
      ++ticks;
    }
    ASSERT_FALSE(form->Timer1.Running()) << "the volume never filled up";
    ASSERT_EQ(messages.messages().size(), 1u);
    EXPECT_EQ(messages.messages()[0].text, test::kJpegFailedText);
    EXPECT_TRUE(IsControlEnabled(form->Start));
    EXPECT_FALSE(IsControlEnabled(form->btstop));
    EXPECT_FALSE(IsControlEnabled(form->pause));

    // Frames 0 .. n-1 are there and whole, frame n is not there at all, and
    // nothing else was left behind.
    const std::string folder = volume + "\\" + form->recording.RecordingFolder();
    const std::vector<std::string> files = test::FilesIn(folder);
    ASSERT_FALSE(files.empty()) << "no frame fitted before the volume was full";
    ASSERT_EQ(static_cast<int>(files.size()), ticks - 1);
    for (int i = 0; i < static_cast<int>(files.size()); ++i) {
      EXPECT_EQ(files[i], "Fay" + FrameNumberText(i) + ".jpg");
      EXPECT_TRUE(test::ShowsDemoPane(folder + "\\" + files[i], 24));
    }
    EXPECT_EQ(ControlText(form->Text1), std::to_string(files.size() - 1));
    std::printf("%zu frames fitted on the volume before it was full\n", files.size());
    form.reset();
    SetSampleFilePath(kSampleFilePath);
  }
  ::OleUninitialize();
}

}  // namespace
}  // namespace lumavex
