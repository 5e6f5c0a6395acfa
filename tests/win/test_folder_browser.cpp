// The folder button: the shell's folder browser, driven from a helper
// thread as a person would use it, and what it leaves in txtPath.
#include <gtest/gtest.h>
#include <ole2.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "dialog_driver.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "base/utf8.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

// The text of a window of the test's thread, read while that thread sits in
// the dialog's loop (which answers).
std::string TextOf(HWND window) { return ControlText(window); }

bool HasStaticText(HWND dialog, const std::string& text) {
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    char cls[64] = {};
    ::GetClassNameA(child, cls, sizeof cls);
    if (std::string(cls) == "Static" && TextOf(child) == text) return true;
  }
  return false;
}

class FolderBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    form_ = Form1::Create(false);
    ASSERT_NE(form_, nullptr);
  }
  void TearDown() override {
    form_.reset();
    ::OleUninitialize();
  }

  // Clicks the folder button while `script` acts on the browser.
  void Click(std::function<void(test::DialogDriver&)> script) {
    test::DialogDriver driver(std::move(script));
    form_->opendir_Click();
    driver.Finish();
    for (const std::string& failure : driver.failures()) ADD_FAILURE() << failure;
  }

  // A folder beside the test program, opened in the tree level by level as
  // a person would: the program runs from Wine's Z: drive, which the tree
  // shows as the file system's root "/" under the desktop.
  void PickFolderBesideTheProgram(const std::string& name) {
    const std::string bin = test::TestBinFolder();
    if (bin.rfind("Z:\\", 0) != 0) GTEST_SKIP() << "the program is not on Z: (" << bin << ")";
    const std::string target = bin + "\\" + name;
    ASSERT_TRUE(MakeDirectory(target));
    std::vector<std::string> path{"/"};
    for (std::size_t start = 3; start < target.size();) {
      const std::size_t end = target.find('\\', start);
      path.push_back(target.substr(start, end == std::string::npos ? std::string::npos : end - start));
      start = end == std::string::npos ? target.size() : end + 1;
    }
    SetControlText(form_->txtPath, "C:\\somewhere else");
    std::string whileOpen = "(not read)";

    Click([&](test::DialogDriver& d) {
      HWND browser = d.Wait("");
      if (!browser) return;
      whileOpen = TextOf(form_->txtPath);
      if (d.SelectTreePath(browser, path)) d.Click(browser, IDOK);
    });

    EXPECT_EQ(whileOpen, "");
    EXPECT_EQ(ControlText(form_->txtPath), target);
    ::RemoveDirectoryW(Widen(target).c_str());
  }

  std::unique_ptr<Form1> form_;
};

// While the browser is up the box is empty; cancelling does not bring back
// what was there but puts the program's own folder.
TEST_F(FolderBrowser, CancelPutsTheProgramsFolderInTxtPath) {
  SetControlText(form_->txtPath, "C:\\somewhere else");
  std::string whileOpen = "(not read)";
  HWND owner = nullptr;
  bool titled = false;
  Click([&](test::DialogDriver& d) {
    HWND browser = d.Wait("");
    if (!browser) return;
    owner = ::GetWindow(browser, GW_OWNER);
    titled = HasStaticText(browser, "Browse");
    whileOpen = TextOf(form_->txtPath);
    d.Click(browser, IDCANCEL);
  });
  EXPECT_EQ(owner, form_->hwnd());
  EXPECT_TRUE(titled);
  EXPECT_EQ(whileOpen, "");
  EXPECT_EQ(ControlText(form_->txtPath), ExecutableFolder());
}

TEST_F(FolderBrowser, ChosenFolderLandsInTxtPath) { PickFolderBesideTheProgram("browse-pick"); }

TEST_F(FolderBrowser, ChosenFolderInAnyScriptLandsInTxtPath) {
  PickFolderBesideTheProgram("выбор 王伟 Łódź");
}

}  // namespace
}  // namespace lumavex
