// A finished file is put in place in one step (MoveFileExW): when that step
// fails, for instance because another program holds the target open, the
// user's old file must survive whole and the new file must be gone. (The C
// runtime's rename cannot replace a file; removing the old one first would
// lose it when the rename then fails.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file.h"
#include "base/part_file.h"
#include "base/utf8.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

std::string Text(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  return ReadWholeFile(path, bytes) ? std::string(bytes.begin(), bytes.end()) : std::string("(unreadable)");
}

void WriteText(const std::string& path, const std::string& text) {
  ASSERT_TRUE(WriteWholeFile(path, {{text.data(), text.size()}}));
}

// Held by another program (a player, say) that lets others read and write
// it, and in the second case delete it too: there, removing the old file
// first succeeds and only the rename after it fails.
TEST(ReplaceInPlace, AHeldTargetSurvivesAFailedReplaceWhole) {
  for (const DWORD share : {DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE},
                            DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE}}) {
    test::TempFolder folder;
    const std::string target = folder.path() + "\\video Ана.avi";
    WriteText(target, "the user's old video");
    UniqueFile held(::CreateFileW(Widen(target).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    PartFile part(target);
    ASSERT_TRUE(part.Open());
    ASSERT_TRUE(part.Write("a new video", 11));
    EXPECT_FALSE(part.Commit()) << share;
    held.reset();
    EXPECT_EQ(Text(target), "the user's old video") << share;
    EXPECT_EQ(test::FilesIn(folder.path()), std::vector<std::string>{"video Ана.avi"}) << share;

    // Once it is free, the same replace goes through.
    PartFile again(target);
    ASSERT_TRUE(again.Open());
    ASSERT_TRUE(again.Write("a new video", 11));
    EXPECT_TRUE(again.Commit());
    EXPECT_EQ(Text(target), "a new video");
    EXPECT_EQ(test::FilesIn(folder.path()), std::vector<std::string>{"video Ана.avi"});
  }
}

TEST(ReplaceInPlace, ReplacesAnExistingFileAndMakesAMissingOne) {
  test::TempFolder folder;
  const std::string finished = folder.path() + "\\finished.part";
  const std::string target = folder.path() + "\\王伟.jpg";
  WriteText(finished, "first");
  ASSERT_TRUE(ReplaceWithFinished(finished, target));
  WriteText(finished, "second");
  ASSERT_TRUE(ReplaceWithFinished(finished, target));
  EXPECT_EQ(Text(target), "second");
  EXPECT_FALSE(FileExistsUtf8(finished));
  // Nothing to move: the target stays.
  EXPECT_FALSE(ReplaceWithFinished(finished, target));
  EXPECT_EQ(Text(target), "second");
}

// Two writers of one target (two instances, say): the second cannot open the
// part the first is writing, and its failure takes nothing of the first's.
TEST(ReplaceInPlace, ASecondWriterOfTheSameTargetIsRefused) {
  test::TempFolder folder;
  const std::string target = folder.path() + "\\settings.ini";
  PartFile first(target);
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(first.Write("first", 5));
  {
    PartFile second(target);
    EXPECT_FALSE(second.Open());
    EXPECT_FALSE(second.Write("second", 6));
    EXPECT_FALSE(second.Commit());
  }
  EXPECT_TRUE(FileExistsUtf8(first.PartPath()));
  ASSERT_TRUE(first.Commit());
  EXPECT_EQ(Text(target), "first");
  EXPECT_EQ(test::FilesIn(folder.path()), std::vector<std::string>{"settings.ini"});
}

}  // namespace
}  // namespace lumavex
