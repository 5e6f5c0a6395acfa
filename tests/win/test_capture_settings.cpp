// The Capture menu and settings.ini: the menu bar above the designed client
// area, the choices read at start-up, written back (every other line kept)
// when one changes, and defaulted silently when the file is missing,
// garbage, out of range or unreadable; a choice that cannot be written is
// said once and holds for the run. APPDATA points at a folder of the
// test program's own (support/win_test_support.h).
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/capture_menu.h"
#include "app/form1.h"
#include "app/recording_view.h"
#include "app/settings_file.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "recording_test_support.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class CaptureSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    folder_ = test::AppDataFolder() + "\\Lumavex";
    path_ = folder_ + "\\settings.ini";
    test::RemoveTree(folder_);
  }
  void TearDown() override {
    form_.reset();
    test::RemoveTree(folder_);
    ::OleUninitialize();
  }
  void WriteSettings(const std::string& text) {
    ASSERT_TRUE(MakeDirectory(folder_));
    ASSERT_TRUE(WriteWholeFile(path_, {{text.data(), text.size()}}));
  }
  std::string ReadSettings() const {
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path_, bytes)) return "<none>";
    return std::string(bytes.begin(), bytes.end());
  }
  void Open() {
    form_ = Form1::Create(true);
    ASSERT_NE(form_, nullptr);
  }
  HMENU Capture() const { return ::GetSubMenu(::GetMenu(form_->hwnd()), 0); }
  UINT State(int id) const { return ::GetMenuState(Capture(), static_cast<UINT>(id), MF_BYCOMMAND); }
  // The interval whose radio item is checked; 0 when none is.
  int CheckedInterval() const {
    int checked = 0;
    for (std::size_t i = 0; i < kCaptureIntervalsMs.size(); ++i) {
      if (State(kIdMenuFirstInterval + static_cast<int>(i)) & MF_CHECKED) {
        EXPECT_EQ(checked, 0) << "two intervals checked";
        checked = kCaptureIntervalsMs[i];
      }
    }
    return checked;
  }
  bool StampChecked() const { return (State(kIdMenuStamp) & MF_CHECKED) != 0; }
  void Menu(int id) { ::SendMessageW(form_->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // One message so far, naming `path` and saying `why`.
  void ExpectToldOnceAbout(const std::string& path, const std::string& why) const {
    ASSERT_EQ(messages_.messages().size(), 1u);
    const std::string& text = messages_.messages()[0].text;
    EXPECT_NE(text.find("\r\n" + path + "\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(why), std::string::npos) << text;
    EXPECT_NE(text.find("until Lumavex is closed"), std::string::npos) << text;
  }

  std::string folder_, path_;
  test::MessageRecorder messages_;
  std::unique_ptr<Form1> form_;
};

std::string MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return Narrow(text);
}

TEST_F(CaptureSettings, TheMenuBarSitsAboveTheDesignedClientArea) {
  Open();
  HMENU bar = ::GetMenu(form_->hwnd());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(::GetMenuItemCount(bar), 1);
  EXPECT_EQ(MenuText(bar, 0), "&Capture");
  const std::vector<std::string> items{"Every 0.1 seconds",
                                       "Every 0.2 seconds",
                                       "Every 0.5 seconds",
                                       "Every &second",
                                       "Every 2 seconds",
                                       "Every 5 seconds",
                                       "Every 10 seconds",
                                       "Every 30 seconds",
                                       "Every 60 seconds",
                                       "",
                                       "S&tamp date and time on frames",
                                       "Save into a &video",
                                       "",
                                       "&Keep recordings",
                                       "Disk &budget"};
  ASSERT_EQ(::GetMenuItemCount(Capture()), static_cast<int>(items.size()));
  for (std::size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(MenuText(Capture(), static_cast<UINT>(i)), items[i]);
  RECT client;
  ::GetClientRect(form_->hwnd(), &client);
  EXPECT_EQ(client.right, Form1::TwipsToPixels(4920));
  EXPECT_EQ(client.bottom, Form1::TwipsToPixels(3255));
}

// Radio items in two submenus; a value in range that no item offers is
// used as it stands, with none checked, until an item replaces it.
TEST_F(CaptureSettings, KeepRecordingsAndDiskBudgetAreKeptInTheFile) {
  WriteSettings("[Recording]\r\nKeepDays=15\r\nKeepMegabytes=10240\r\n");
  Open();
  const auto texts = [](HMENU menu) {
    std::vector<std::string> names;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) names.push_back(MenuText(menu, static_cast<UINT>(i)));
    return names;
  };
  HMENU days = ::GetSubMenu(Capture(), 13);
  HMENU budget = ::GetSubMenu(Capture(), 14);
  EXPECT_EQ(texts(days), (std::vector<std::string>{"&All", "&1 day", "&7 days", "&30 days", "&90 days"}));
  EXPECT_EQ(texts(budget), (std::vector<std::string>{"&None", "&1 GB", "&10 GB", "&100 GB"}));
  const auto checked = [](HMENU menu, int first, int count) {
    std::vector<int> on;
    for (int i = 0; i < count; ++i)
      if (::GetMenuState(menu, static_cast<UINT>(first + i), MF_BYCOMMAND) & MF_CHECKED) on.push_back(i);
    return on;
  };
  EXPECT_EQ(form_->captureMenu.Settings().keepDays, 15);
  EXPECT_TRUE(checked(days, kIdMenuFirstKeepDays, 5).empty());
  EXPECT_EQ(checked(budget, kIdMenuFirstBudget, 4), std::vector<int>{2});

  Menu(kIdMenuFirstKeepDays + 2);
  Menu(kIdMenuFirstBudget);
  EXPECT_EQ(checked(days, kIdMenuFirstKeepDays, 5), std::vector<int>{2});
  EXPECT_EQ(checked(budget, kIdMenuFirstBudget, 4), std::vector<int>{0});
  EXPECT_EQ(ReadSettings(),
            "[Recording]\r\nKeepDays=7\r\nKeepMegabytes=0\r\nIntervalMs=1000\r\nStampTime=0\r\nVideo=0\r\n");
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(CaptureSettings, WithoutAFileTheDefaultsHoldAndNothingIsWritten) {
  Open();
  EXPECT_EQ(CheckedInterval(), 1000);
  EXPECT_FALSE(StampChecked());
  EXPECT_EQ(form_->captureMenu.Settings().intervalMs, 1000);
  EXPECT_FALSE(form_->captureMenu.Settings().stampTime);
  EXPECT_FALSE(PathExists(folder_));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(CaptureSettings, TheFileIsReadAtStartUpAndItsChoicesRecord) {
  WriteSettings("[Recording]\r\nIntervalMs=200\r\nStampTime=1\r\n");
  Open();
  EXPECT_EQ(CheckedInterval(), 200);
  EXPECT_TRUE(StampChecked());
  // The Part's controls start as they always do.
  EXPECT_EQ(CheckValue(form_->cbjpg), 1);
  EXPECT_EQ(CheckValue(form_->cbbmp), 0);
  EXPECT_EQ(CheckValue(form_->windowtop), 1);
  EXPECT_EQ(ControlText(form_->txtPath), ExecutableFolder());
}

TEST_F(CaptureSettings, AChangeIsWrittenBackKeepingEveryOtherLine) {
  const std::string before =
      "; written by hand\n[Window]\nLeft=10\n\n[Recording]\nIntervalMs=1000\nColour=blue\nStampTime=0\n";
  WriteSettings(before);
  Open();
  Menu(kIdMenuFirstInterval + 5);  // 5 s
  EXPECT_EQ(CheckedInterval(), 5000);
  EXPECT_EQ(ReadSettings(),
            "; written by "
            "hand\n[Window]\nLeft=10\n\n[Recording]\nIntervalMs=5000\nColour=blue\nStampTime=0\nVideo=0\n");
  Menu(kIdMenuStamp);
  EXPECT_TRUE(StampChecked());
  EXPECT_EQ(ReadSettings(),
            "; written by "
            "hand\n[Window]\nLeft=10\n\n[Recording]\nIntervalMs=5000\nColour=blue\nStampTime=1\nVideo=0\n");
  EXPECT_EQ(test::FilesIn(folder_), (std::vector<std::string>{"settings.ini"}));  // no part left

  // The next start finds them.
  form_.reset();
  Open();
  EXPECT_EQ(CheckedInterval(), 5000);
  EXPECT_TRUE(StampChecked());
}

TEST_F(CaptureSettings, AFirstChangeMakesTheFolderAndTheFile) {
  Open();
  Menu(kIdMenuFirstInterval);  // 0.1 s
  EXPECT_EQ(ReadSettings(), "[Recording]\r\nIntervalMs=100\r\nStampTime=0\r\nVideo=0\r\n");
}

// "Save into a video" is kept as Video; SegmentSeconds is the file's own,
// read and never written.
TEST_F(CaptureSettings, SaveIntoAVideoIsKeptAndSegmentSecondsOnlyRead) {
  WriteSettings("[Recording]\r\nSegmentSeconds=600\r\n");
  Open();
  EXPECT_FALSE(State(kIdMenuVideo) & MF_CHECKED);
  EXPECT_EQ(form_->captureMenu.Settings().segmentSeconds, 600);
  Menu(kIdMenuVideo);
  EXPECT_TRUE(State(kIdMenuVideo) & MF_CHECKED);
  EXPECT_TRUE(form_->captureMenu.Settings().video);
  EXPECT_EQ(ReadSettings(),
            "[Recording]\r\nSegmentSeconds=600\r\nIntervalMs=1000\r\nStampTime=0\r\nVideo=1\r\n");
  form_.reset();
  Open();
  EXPECT_TRUE(State(kIdMenuVideo) & MF_CHECKED);
  EXPECT_TRUE(ReadRecorderOptions(*form_).video);
  EXPECT_EQ(ReadRecorderOptions(*form_).segmentSeconds, 600);
}

TEST_F(CaptureSettings, GarbageAndOutOfRangeValuesGiveTheDefaultsSilently) {
  const std::string cases[] = {
      std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 20),
      "[Recording]\r\nIntervalMs=99\r\nStampTime=2\r\n",
      "[Recording]\r\nIntervalMs=60001\r\nStampTime=yes\r\n",
      "[Recording]\r\nIntervalMs=-1000\r\n",
      "[Recording]\r\nIntervalMs=1e3\r\nStampTime=\r\n",
      "IntervalMs=200\r\nStampTime=1\r\n",  // outside the section
  };
  for (const std::string& text : cases) {
    WriteSettings(text);
    Open();
    EXPECT_EQ(CheckedInterval(), 1000) << text;
    EXPECT_FALSE(StampChecked()) << text;
    form_.reset();
  }
  // Each key on its own: a good one stays when the other is bad.
  WriteSettings("[Recording]\r\nIntervalMs=abc\r\nStampTime=1\r\n");
  Open();
  EXPECT_EQ(CheckedInterval(), 1000);
  EXPECT_TRUE(StampChecked());
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(CaptureSettings, AnUnreadableFileGivesTheDefaultsAndIsNotWrittenOver) {
  ASSERT_TRUE(MakeDirectory(folder_));
  ASSERT_TRUE(MakeDirectory(path_));  // a folder where the file should be
  Open();
  EXPECT_EQ(CheckedInterval(), 1000);
  EXPECT_TRUE(messages_.messages().empty()) << "reading stays silent";
  Menu(kIdMenuFirstInterval + 1);  // still chosen, for this run
  EXPECT_EQ(CheckedInterval(), 200);
  EXPECT_EQ(form_->captureMenu.Settings().intervalMs, 200);
  EXPECT_TRUE(DirectoryExists(path_));
  EXPECT_TRUE(test::FilesIn(folder_).empty());
  ExpectToldOnceAbout(path_, "folder");
  // Said once a run: later choices hold as quietly.
  Menu(kIdMenuStamp);
  Menu(kIdMenuFirstInterval + 3);
  EXPECT_TRUE(StampChecked());
  EXPECT_EQ(form_->captureMenu.Settings().intervalMs, 1000);
  EXPECT_EQ(messages_.messages().size(), 1u);
}

TEST_F(CaptureSettings, AFolderThatCannotBeMadeOrWrittenIsSaidOnce) {
  {
    // A file where the Lumavex folder should be.
    ASSERT_TRUE(WriteWholeFile(folder_, {{"x", 1}}));
    Open();
    Menu(kIdMenuStamp);
    EXPECT_TRUE(StampChecked());
    ExpectToldOnceAbout(folder_, "file");
    form_.reset();
    messages_.clear();
    ASSERT_TRUE(::DeleteFileW(Widen(folder_).c_str()));
  }
  {
    // The file cannot be written beside the old one: another program holds
    // the name it is written under (as a folder without write access would
    // refuse it; the tests run as root under Wine, which no access denies).
    WriteSettings("[Recording]\r\nIntervalMs=200\r\n");
    UniqueFile holder(::CreateFileW(Widen(path_ + ".part").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    Open();
    Menu(kIdMenuFirstInterval + 4);
    Menu(kIdMenuStamp);
    EXPECT_EQ(CheckedInterval(), 2000);
    EXPECT_EQ(ReadSettings(), "[Recording]\r\nIntervalMs=200\r\n");
    ExpectToldOnceAbout(path_, "written");
    // Once the other program lets go, the next choice is kept again.
    holder.reset();
    Menu(kIdMenuStamp);
    EXPECT_EQ(ReadSettings(), "[Recording]\r\nIntervalMs=2000\r\nStampTime=0\r\nVideo=0\r\n");
    EXPECT_EQ(messages_.messages().size(), 1u);
  }
}

TEST_F(CaptureSettings, AnApplicationDataFolderThatIsNotThereIsSaid) {
  const std::string nowhere = test::AppDataFolder() + "\\gone\\AppData";
  ASSERT_TRUE(::SetEnvironmentVariableW(L"APPDATA", Widen(nowhere).c_str()));
  Open();
  Menu(kIdMenuFirstInterval);
  EXPECT_EQ(CheckedInterval(), 100);
  EXPECT_FALSE(PathExists(nowhere)) << "only the Lumavex folder is ever made";
  ASSERT_TRUE(::SetEnvironmentVariableW(L"APPDATA", Widen(test::AppDataFolder()).c_str()));
  ExpectToldOnceAbout(nowhere, "does not exist");
}

TEST_F(CaptureSettings, AFileTooLargeToBeSettingsIsNeitherReadNorWritten) {
  // 50 MB that start like settings: not read, since no settings file is that large.
  WriteSettings("[Recording]\r\nIntervalMs=200\r\nStampTime=1\r\n");
  {
    UniqueFile file(::CreateFileW(Widen(path_).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER size;
    size.QuadPart = 50LL << 20;
    ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.get()));
  }
  Open();
  EXPECT_EQ(CheckedInterval(), 1000);
  EXPECT_FALSE(StampChecked());
  EXPECT_TRUE(messages_.messages().empty());
  Menu(kIdMenuFirstInterval + 2);
  Menu(kIdMenuStamp);
  EXPECT_EQ(CheckedInterval(), 500);
  ExpectToldOnceAbout(path_, "larger than 1 MB");
  WIN32_FILE_ATTRIBUTE_DATA data{};
  ASSERT_TRUE(::GetFileAttributesExW(Widen(path_).c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(data.nFileSizeLow, 50u << 20);
  EXPECT_EQ(test::FilesIn(folder_), (std::vector<std::string>{"settings.ini"}));
}

TEST_F(CaptureSettings, AUtf16FileIsReadAndStaysUtf16) {
  const std::u16string text = u"\uFEFF; \u738b\r\n[Recording]\r\nIntervalMs=200\r\nStampTime=1\r\n";
  WriteSettings(std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
  Open();
  EXPECT_EQ(CheckedInterval(), 200);
  EXPECT_TRUE(StampChecked());
  Menu(kIdMenuFirstInterval + 7);  // 30 s
  const std::u16string after =
      u"\uFEFF; \u738b\r\n[Recording]\r\nIntervalMs=30000\r\nStampTime=1\r\nVideo=0\r\n";
  EXPECT_EQ(ReadSettings(), std::string(reinterpret_cast<const char*>(after.data()), after.size() * 2));
  EXPECT_TRUE(messages_.messages().empty());
  form_.reset();
  Open();
  EXPECT_EQ(CheckedInterval(), 30000);
}

TEST_F(CaptureSettings, ChoicesForThisRunOnlyAreNeitherWrittenNorSaid) {
  ASSERT_TRUE(MakeDirectory(folder_));
  ASSERT_TRUE(MakeDirectory(path_));  // would be said if anything were written
  Open();
  form_->captureMenu.UseForThisRun({500, true});
  Menu(kIdMenuFirstInterval + 4);
  Menu(kIdMenuStamp);
  EXPECT_EQ(CheckedInterval(), 2000);
  EXPECT_FALSE(StampChecked());
  EXPECT_TRUE(messages_.messages().empty());
  ::RemoveDirectoryW(Widen(path_).c_str());
  Menu(kIdMenuStamp);
  EXPECT_FALSE(PathExists(path_));
}

TEST_F(CaptureSettings, TheIntervalIsTheRecordingsUntilItStops) {
  test::ManualClock clock;
  test::DemoWindow demo("Hal --still --pos 60 60", "Hal - Conversation");
  ASSERT_TRUE(demo.ok());
  test::TempFolder save;
  form_ = test::OpenRecordingForm(save.path());
  ASSERT_NE(form_, nullptr);
  ASSERT_TRUE(test::SelectRowOf(*form_, demo.hwnd()));
  Menu(kIdMenuFirstInterval + 2);  // 0.5 s
  const std::int64_t started = clock.now();
  ::SendMessageW(form_->Start, BM_CLICK, 0, 0);
  EXPECT_EQ(form_->recorder.State().IntervalMs(), 500);
  EXPECT_TRUE(State(kIdMenuFirstInterval) & MF_GRAYED);
  Menu(kIdMenuFirstInterval + 6);  // refused while recording
  EXPECT_EQ(CheckedInterval(), 500);
  test::TickOnSchedule(*form_, clock);
  test::TickOnSchedule(*form_, clock);
  EXPECT_EQ(clock.now() - started, 500) << "the second frame's slot";
  ::SendMessageW(form_->pause, BM_CLICK, 0, 0);
  EXPECT_TRUE(State(kIdMenuFirstInterval) & MF_GRAYED) << "a paused recording keeps it too";
  ::SendMessageW(form_->btstop, BM_CLICK, 0, 0);
  EXPECT_FALSE(State(kIdMenuFirstInterval) & MF_GRAYED);
  Menu(kIdMenuFirstInterval + 6);
  EXPECT_EQ(CheckedInterval(), 10000);
  EXPECT_EQ(ReadSettings(), "[Recording]\r\nIntervalMs=10000\r\nStampTime=0\r\nVideo=0\r\n");
}

}  // namespace
}  // namespace lumavex
