// Discovery against real windows of another process: the demo conversation
// window and variations of it that must not be listed.
#include <gtest/gtest.h>
#include <ole2.h>

#include "app/form1.h"
#include "discovery/win32/discovery.h"
#include "discovery/fingerprints.h"
#include "discovery/pane_geometry.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/picture_view.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

class Discovery : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    SetSampleFilePath(sampleDir_.path() + "\\lumavex_pixel.bmp");
    form_ = Form1::Create(true);
    ASSERT_NE(form_, nullptr);
  }
  void TearDown() override {
    form_.reset();
    SetSampleFilePath(kSampleFilePath);
    ::OleUninitialize();
  }

  void PressRefresh() { ::SendMessageA(form_->Command1, BM_CLICK, 0, 0); }

  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < ListCount(form_->List1); ++i) rows.push_back(ListText(form_->List1, i));
    return rows;
  }

  int RowOf(const std::string& title) const {
    for (int i = 0; i < ListCount(form_->List1); ++i)
      if (ListText(form_->List1, i) == title) return i;
    return -1;
  }

  test::TempFolder sampleDir_;
  test::MessageRecorder messages_;
  std::unique_ptr<Form1> form_;
};

TEST_F(Discovery, ScreenDepthHasAFingerprintPair) {
  const short depth = GetColorDepth();
  EXPECT_TRUE(depth == 16 || depth == 24 || depth == 32) << depth;
  EXPECT_FALSE(FingerprintsForDepth(depth).first.empty());
}

TEST_F(Discovery, ListsTheConversationWindowWithItsExactTitleAndHandle) {
  test::DemoWindow demo("--pos 420 40 \"--title\" \"Alice Smith - Conversation \"",
                        "Alice Smith - Conversation ");
  ASSERT_TRUE(demo.ok());
  PressRefresh();
  const int row = RowOf("Alice Smith - Conversation ");  // trailing space kept
  ASSERT_GE(row, 0) << ::testing::PrintToString(Rows());
  EXPECT_EQ(reinterpret_cast<HWND>(ListData(form_->List1, row)), demo.hwnd());
  // Discovery makes every conversation window it examines topmost.
  EXPECT_TRUE(::GetWindowLongA(demo.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(Discovery, TwoRefreshesListTheWindowOnce) {
  test::DemoWindow demo("Bob --pos 420 40", "Bob - Conversation");
  ASSERT_TRUE(demo.ok());
  PressRefresh();
  PressRefresh();
  int seen = 0;
  for (const std::string& row : Rows()) seen += row == "Bob - Conversation";
  EXPECT_EQ(seen, 1);
}

TEST_F(Discovery, WindowsThatAreNotWebcamConversationsAreLeftOut) {
  test::DemoWindow lower("--pos 420 20 --title \"carol - conversation\"", "carol - conversation");
  test::DemoWindow secondDiffers("Dave --pos 420 380 --bad-second", "Dave - Conversation");
  ASSERT_TRUE(lower.ok());
  ASSERT_TRUE(secondDiffers.ok());
  PressRefresh();
  EXPECT_EQ(RowOf("carol - conversation"), -1);
  EXPECT_EQ(RowOf("Dave - Conversation"), -1);
  // Only a title that holds the word is examined at all.
  EXPECT_FALSE(::GetWindowLongA(lower.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(::GetWindowLongA(secondDiffers.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(Discovery, PanePaintedWindowWithoutTheWordIsLeftOut) {
  test::DemoWindow chat("--pos 420 40 --title \"Erin - Chat\"", "Erin - Chat");
  ASSERT_TRUE(chat.ok());
  PressRefresh();
  EXPECT_EQ(RowOf("Erin - Chat"), -1);
  EXPECT_EQ(ListCount(form_->List1), 0) << ::testing::PrintToString(Rows());
}

TEST_F(Discovery, MinimisedConversationIsRestoredAndExamined) {
  test::DemoWindow demo("Fay --pos 420 40 --minimized", "Fay - Conversation", false);
  ASSERT_TRUE(demo.ok());
  ASSERT_TRUE(test::PumpUntil([&] { return ::IsIconic(demo.hwnd()) != 0; }));
  PressRefresh();
  EXPECT_FALSE(::IsIconic(demo.hwnd()));
  // The restored window paints asynchronously in its own process; a refresh
  // once it has painted lists it.
  ASSERT_TRUE(test::PumpUntil([&] {
    PressRefresh();
    return RowOf("Fay - Conversation") >= 0;
  }));
}

TEST_F(Discovery, SampleFileIsWrittenWhereItCanBeAndIsNotNeeded) {
  test::DemoWindow demo("Gus --pos 420 40", "Gus - Conversation");
  ASSERT_TRUE(demo.ok());
  PressRefresh();
  ASSERT_GE(RowOf("Gus - Conversation"), 0);
  // The last sample is the second point: its 58-byte file, and the previews.
  std::vector<std::uint8_t> file;
  ASSERT_TRUE(ReadWholeFile(sampleDir_.path() + "\\lumavex_pixel.bmp", file));
  EXPECT_EQ(file.size(), 58u);
  EXPECT_EQ(FingerprintOfFile(file), FingerprintsForDepth(GetColorDepth()).second);
  EXPECT_TRUE(ViewPicture(form_->Picture1));
  EXPECT_TRUE(ViewPicture(form_->Image1));

  // A drive that cannot be written (here: a folder that does not exist)
  // changes nothing.
  SetSampleFilePath("Q:\\no such folder\\lumavex_pixel.bmp");
  PressRefresh();
  EXPECT_GE(RowOf("Gus - Conversation"), 0);
  EXPECT_TRUE(messages_.messages().empty());
}

// A "Refresh List" click that arrives while a refresh is examining windows (a
// message sent to this thread meanwhile) must not make the running refresh
// list a window twice. Here a window of this thread that the refresh makes
// topmost presses the button from inside that change.
TEST_F(Discovery, RefreshArrivingDuringARefreshListsEachWindowOnce) {
  test::DemoWindow demo("Hal --pos 420 40", "Hal - Conversation");
  ASSERT_TRUE(demo.ok());
  static HWND refreshButton = nullptr;
  static bool armed = false;
  WNDCLASSW wc{};
  wc.lpfnWndProc = [](HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
    if (message == WM_WINDOWPOSCHANGING && armed) {
      armed = false;
      ::SendMessageW(refreshButton, BM_CLICK, 0, 0);
    }
    return ::DefWindowProcW(hwnd, message, wparam, lparam);
  };
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.lpszClassName = L"LumavexNestedRefresh";
  ::RegisterClassW(&wc);
  // Made after the demo, so it is met first; small and far from the demo's pane.
  UniqueWindow trigger(::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"Nested Conversation",
                                         WS_POPUP | WS_VISIBLE, 0, 700, 60, 30, nullptr, nullptr,
                                         wc.hInstance, nullptr));
  ASSERT_TRUE(trigger);
  refreshButton = form_->Command1;
  armed = true;
  PressRefresh();
  EXPECT_FALSE(armed) << "the nested click never came";
  int seen = 0;
  for (const std::string& row : Rows()) seen += row == "Hal - Conversation";
  EXPECT_EQ(seen, 1) << ::testing::PrintToString(Rows());
}

TEST_F(Discovery, NoConversationWindowLeavesTheListEmpty) {
  PressRefresh();
  EXPECT_EQ(ListCount(form_->List1), 0) << ::testing::PrintToString(Rows());
}

}  // namespace
}  // namespace lumavex
