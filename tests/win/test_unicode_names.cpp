// Contacts whose names are in any script: listed with their exact titles,
// recorded into folders and files named after them; a very long name records
// under a shortened prefix, silently, with every path within Windows' limit.
#include <gtest/gtest.h>
#include <ole2.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "recording/frame_naming.h"
#include "recording/path_limits.h"
#include "discovery/win32/discovery.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "base/utf8.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class UnicodeNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    SetSampleFilePath(save_.path() + "\\lumavex_pixel.bmp");
  }
  void TearDown() override {
    SetSampleFilePath(kSampleFilePath);
    ::OleUninitialize();
  }

  // Opens the demo window for `name`, checks its row, records two frames
  // (JPG and BMP) and returns the recording folder's name.
  std::string ListAndRecord(const std::string& name) {
    const std::string title = name + " - Conversation";
    test::DemoWindow demo("\"" + name + "\" --still --pos 60 60", title);
    EXPECT_TRUE(demo.ok()) << title;
    if (!demo.ok()) return {};
    auto form = test::OpenRecordingForm(save_.path());
    EXPECT_NE(form, nullptr);
    if (!form) return {};
    SetChecked(form->cbbmp, true);
    EXPECT_TRUE(test::SelectRowOf(*form, demo.hwnd())) << title;
    if (ListSelected(form->List1) < 0) return {};
    EXPECT_EQ(ListText(form->List1, ListSelected(form->List1)), title);

    ::SendMessageW(form->Start, BM_CLICK, 0, 0);
    test::TickOnSchedule(*form, clock_);
    test::TickOnSchedule(*form, clock_);
    ::SendMessageW(form->btstop, BM_CLICK, 0, 0);
    EXPECT_TRUE(messages_.messages().empty()) << messages_.messages()[0].text;
    return form->recorder.State().RecordingFolder();
  }

  // The frame files of a folder: both frames of both kinds, each decoding
  // to the demo pane.
  void ExpectFrames(const std::string& folder, const std::string& prefix) {
    const std::string path = save_.path() + "\\" + folder;
    const std::vector<std::string> expected = {prefix + "0000000.bmp", prefix + "0000000.jpg",
                                               prefix + "0000001.bmp", prefix + "0000001.jpg"};
    EXPECT_EQ(test::FramesIn(path), expected);
    for (const std::string& file : test::FramesIn(path))
      EXPECT_TRUE(test::ShowsDemoPane(path + "\\" + file, 24)) << file;
  }

  test::TempFolder save_;
  test::ManualClock clock_;
  test::MessageRecorder messages_;
};

TEST_F(UnicodeNames, EachScriptIsListedAndRecordedUnderItsExactName) {
  const std::vector<std::string> names = {"王伟", "李娜", "Ана", "Łukasz", "Zoë Ångström"};
  std::vector<std::string> folders;
  for (const std::string& name : names) {
    const std::string folder = ListAndRecord(name);
    ASSERT_FALSE(folder.empty()) << name;
    // The name itself, then the time stamp.
    EXPECT_EQ(folder.compare(0, name.size(), name), 0) << folder;
    EXPECT_EQ(FramePrefix(name + " - Conversation"), name);
    ExpectFrames(folder, name);
    folders.push_back(folder);
  }
  // What Windows lists is what the program named.
  std::vector<std::string> onDisk = test::SubfoldersOf(save_.path());
  std::sort(onDisk.begin(), onDisk.end());
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(onDisk, folders);
  // Two Chinese names, two prefixes.
  EXPECT_NE(FramePrefix("王伟 - Conversation"), FramePrefix("李娜 - Conversation"));
}

TEST_F(UnicodeNames, A250CharacterNameRecordsUnderAShortenedPrefix) {
  std::string name;
  const char* pieces[] = {"Ł", "a", "王", "😀", "й"};
  for (int i = 0; i < 250; ++i) name += pieces[i % 5];
  const std::string folder = ListAndRecord(name);
  ASSERT_FALSE(folder.empty());
  // The name has no digits: the time stamp starts at the first one. The
  // prefix is a leading part of the name, cut between characters.
  const std::string prefix = folder.substr(0, folder.find_first_of("0123456789"));
  ASSERT_LT(prefix.size(), name.size());
  EXPECT_EQ(name.compare(0, prefix.size(), prefix), 0);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(prefix)), prefix);
  ExpectFrames(folder, prefix);

  const std::string path = save_.path() + "\\" + folder;
  EXPECT_LE(Utf16Length(path), kMaxFolderPathUnits);
  for (const std::string& file : test::FramesIn(path))
    EXPECT_LE(Utf16Length(path + "\\" + file), kMaxPathUnits) << file;
  std::printf("prefix of %zu UTF-16 units; longest frame path %zu units\n", Utf16Length(prefix),
              Utf16Length(path + "\\" + prefix + "0000000.jpg"));
}

}  // namespace
}  // namespace lumavex
