// Lumavex.exe run with arguments, as a script or the Task Scheduler runs it:
// its exit code, what it prints on standard output and error (through
// pipes, as a script reads them), and the videos it leaves.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "avi_test_support.h"
#include "command_line_support.h"
#include "base/utf8.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

using test::Quoted;
using test::RunLumavex;

class CommandLine : public ::testing::Test {
 protected:
  std::string MakeFrames(const std::string& name, int count, int seed = 0) {
    const std::string folder = temp_.path() + "\\" + name;
    EXPECT_TRUE(MakeDirectory(folder));
    for (int i = 0; i < count; ++i)
      EXPECT_TRUE(test::WriteJpegFrame(folder + "\\f000000" + std::to_string(i) + ".jpg", 64, 48, seed + i));
    return folder;
  }
  test::TempFolder temp_;
};

TEST_F(CommandLine, HelpGoesToStandardOutputAndAWrongLineToStandardError) {
  for (const char* help : {"--help", "/?"}) {
    const test::LumavexRun run = RunLumavex(help);
    EXPECT_EQ(run.exitCode, 0u) << help;
    EXPECT_NE(run.out.find("--write-avi FOLDER..."), std::string::npos) << help;
    EXPECT_NE(run.out.find("Exit codes:"), std::string::npos);
    EXPECT_EQ(run.err, "");
  }
  const test::LumavexRun wrong = RunLumavex("--write-avii x");
  EXPECT_EQ(wrong.exitCode, 2u);
  EXPECT_EQ(wrong.out, "");
  EXPECT_EQ(wrong.err.rfind("unknown option --write-avii\n", 0), 0u) << wrong.err;
  EXPECT_NE(wrong.err.find("--write-avi FOLDER..."), std::string::npos);
  EXPECT_EQ(RunLumavex("--write-avi").exitCode, 2u);
}

// Each folder becomes FOLDER.avi beside it, a trailing separator ignored;
// names in any script come through the wide command line and back out of
// the pipe whole.
TEST_F(CommandLine, WritesAVideoBesideEachFolderInAnyScript) {
  const std::string first = MakeFrames("Алиса 王伟", 3);
  const std::string second = MakeFrames("second", 2, 10);
  const test::LumavexRun run = RunLumavex("--write-avi " + Quoted(first + "\\\\") + " " + Quoted(second));

  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, first + ".avi: 3 frames\n" + second + ".avi: 2 frames\n");
  EXPECT_EQ(run.err, "");
  // Read back under a name the AVI services can open under Wine (8-bit only).
  const std::string copy = temp_.path() + "\\first.avi";
  ASSERT_TRUE(::CopyFileW(Widen(first + ".avi").c_str(), Widen(copy).c_str(), FALSE));
  const test::AviSummary a = test::ReadAviSummary(copy);
  EXPECT_EQ(a.length, 3u);
  EXPECT_EQ(a.rate, 3u);
  EXPECT_EQ(a.handler, mmioFOURCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(test::ReadAviFrame(copy, 1), test::FileBytes(first + "\\f0000001.jpg"));
  EXPECT_EQ(test::ReadAviSummary(second + ".avi").length, 2u);
}

TEST_F(CommandLine, TheFirstTypeAtAFrameRateIntoANamedTarget) {
  const std::string folder = MakeFrames("frames", 4);
  const std::string target = temp_.path() + "\\named.avi";
  const test::LumavexRun run =
      RunLumavex("/write-avi " + Quoted(folder) + " --type avi --fps 5 /OUT " + Quoted(target));

  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, target + ": 4 frames\n");
  const test::AviSummary avi = test::ReadAviSummary(target);
  EXPECT_EQ(avi.length, 4u);
  EXPECT_EQ(avi.rate, 5u);
  EXPECT_NE(avi.handler, mmioFOURCC('M', 'J', 'P', 'G'));
  EXPECT_EQ(test::ReadAviFrame(target, 0).size(), Bmp24RowBytes(64) * 48);
}

// Damaged frames are replaced as the button replaces them, and the line says
// so; the video is written.
TEST_F(CommandLine, DamagedFramesAreSaidOnTheVideosLine) {
  const std::string folder = MakeFrames("damaged", 3);
  ASSERT_TRUE(test::WriteTextFile(folder + "\\f0000001.jpg", "no picture"));
  const test::LumavexRun run = RunLumavex("--write-avi " + Quoted(folder));

  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out,
            folder + ".avi: 3 frames. 1 frame could not be read and was replaced by the frame before it. " +
                folder + "\\f0000001.jpg\n");
  EXPECT_EQ(test::ReadAviSummary(folder + ".avi").length, 3u);
}

// A folder that is missing fails with its path and why; the others are
// still written, and the exit code says that one failed.
TEST_F(CommandLine, AMissingFolderFailsAndTheOthersAreWritten) {
  const std::string good = MakeFrames("good", 2);
  const std::string missing = temp_.path() + "\\missing";
  const test::LumavexRun run = RunLumavex("--write-avi " + Quoted(missing) + " " + Quoted(good));

  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.err, missing + ": no such folder\n");
  EXPECT_EQ(run.out, good + ".avi: 2 frames\n");
  EXPECT_FALSE(test::PathIsThere(missing + ".avi"));
}

// An existing video is left as it is unless --overwrite is given.
TEST_F(CommandLine, AnExistingTargetStaysUnlessOverwriteIsGiven) {
  const std::string folder = MakeFrames("again", 2);
  ASSERT_TRUE(test::WriteTextFile(folder + ".avi", "old"));
  const test::LumavexRun kept = RunLumavex("--write-avi " + Quoted(folder));
  EXPECT_EQ(kept.exitCode, 1u);
  EXPECT_EQ(kept.err, folder + ".avi: exists already; --overwrite replaces it\n");
  EXPECT_EQ(test::FileBytes(folder + ".avi"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));

  const test::LumavexRun replaced = RunLumavex("--write-avi " + Quoted(folder) + " --overwrite");
  EXPECT_EQ(replaced.exitCode, 0u) << replaced.err;
  EXPECT_EQ(test::ReadAviSummary(folder + ".avi").length, 2u);
}

// --record finds the window by its exact title and records it as Start
// would, for the time given, then exits with 0; times.csv tells the run.
// Its interval holds for the run only: the kept choices (a slower interval
// here) neither set the pace nor are written over.
TEST_F(CommandLine, RecordsAWindowForTheTimeGiven) {
  test::DemoWindow demo("Lena --still --pos 60 60", "Lena - Conversation");
  ASSERT_TRUE(demo.ok());
  const std::string save = temp_.path() + "\\saved";
  ASSERT_TRUE(MakeDirectory(save));
  const std::string settingsFolder = test::AppDataFolder() + "\\Lumavex";
  const std::string settings = settingsFolder + "\\settings.ini";
  const std::string kept = "[Recording]\r\nIntervalMs=2000\r\nStampTime=0\r\n";
  MakeDirectory(settingsFolder);
  ASSERT_TRUE(test::WriteTextFile(settings, kept));
  const auto started = std::chrono::steady_clock::now();
  const test::LumavexRun run = RunLumavex("--record \"Lena - Conversation\" --save-to " + Quoted(save) +
                                          " --for 5 --interval 0.5 --bmp");
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "");
  EXPECT_GE(seconds, 5.0);
  const std::vector<std::string> folders = test::SubfoldersOf(save);
  ASSERT_EQ(folders.size(), 1u);
  const std::string folder = save + "\\" + folders[0];
  const std::size_t jpgs = test::FilesIn(folder, "*.jpg").size();
  // Ten slots in five seconds, one more or less at the edges.
  EXPECT_GE(jpgs, 8u);
  EXPECT_LE(jpgs, 12u);
  EXPECT_EQ(test::FilesIn(folder, "*.bmp").size(), jpgs);
  const std::vector<std::uint8_t> log = test::FileBytes(folder + "\\times.csv");
  const std::string text(log.begin(), log.end());
  EXPECT_EQ(text.rfind("time_utc,event,frame,detail\r\n", 0), 0u) << text;
  EXPECT_NE(text.find(",start,,"), std::string::npos) << text;
  EXPECT_NE(text.find(",stop,,"), std::string::npos) << text;
  EXPECT_NE(text.find("interval_ms=500"), std::string::npos) << text;
  EXPECT_EQ(test::FileBytes(settings), std::vector<std::uint8_t>(kept.begin(), kept.end()));
  ::DeleteFileW(Widen(settings).c_str());
}

// No window has the title: one line on standard error, no folder, exit 1.
TEST_F(CommandLine, ATitleNoWindowHasFailsWithoutAFolder) {
  const std::string save = temp_.path() + "\\saved";
  ASSERT_TRUE(MakeDirectory(save));
  const test::LumavexRun run =
      RunLumavex("--record \"Nobody - Conversation\" --save-to " + Quoted(save) + " --for 2");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "No window titled \"Nobody - Conversation\" showing a webcam picture appeared.\n");
  EXPECT_EQ(test::SubfoldersOf(save), std::vector<std::string>{});
}

}  // namespace
}  // namespace lumavex
