// cFileDlg: its defaults, the record each method hands the platform (seen
// through recording stand-ins for the dialog calls), what the properties
// hold after a confirmed and a cancelled dialog, and the real save dialog of
// "Write Avi" filled in and confirmed or cancelled from a helper thread.
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "app/form1.h"
#include "dialog_driver.h"
#include "dialogs/win32/file_dlg.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "base/utf8.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

using namespace std::string_literals;

// The user's documents folder, without a closing separator.
std::string Documents() {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, path)) ? Narrow(path) : "";
}

// The shell may give a folder with or without a closing separator.
std::string Folder(std::string path) {
  if (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

// What one dialog call was given, copied while the record's buffers live.
struct SeenRecord {
  std::string call;
  OPENFILENAMEW record{};
  std::string filter;  // up to and with the two closing NULs, in UTF-8
  std::string file;    // the whole buffer, in UTF-8
  std::string title;   // the whole buffer, in UTF-8
  std::string initialDir, dialogTitle, defaultExt;
};

std::string NulListText(const wchar_t* list) {
  if (!list) return {};
  std::size_t n = 0;
  while (list[n] != L'\0' || list[n + 1] != L'\0') ++n;
  return Narrow(std::wstring(list, n + 2));
}

std::string TextOrNone(const wchar_t* text) { return text ? Narrow(text) : "(none)"; }

// Puts a chosen file into the record as the platform does.
void Choose(OPENFILENAMEW& r, const std::string& file, const std::string& title, DWORD filterIndex,
            DWORD flags) {
  const std::wstring wideFile = Widen(file), wideTitle = Widen(title);
  std::copy(wideFile.begin(), wideFile.end(), r.lpstrFile);
  r.lpstrFile[wideFile.size()] = L'\0';
  std::copy(wideTitle.begin(), wideTitle.end(), r.lpstrFileTitle);
  r.lpstrFileTitle[wideTitle.size()] = L'\0';
  r.nFilterIndex = filterIndex;
  r.Flags |= flags;
}

// Stands in for the platform's dialogs: records each record and answers
// with `answer` (false: cancelled).
class DialogRecorder {
 public:
  std::function<BOOL(OPENFILENAMEW&)> answer = [](OPENFILENAMEW&) { return FALSE; };
  std::vector<SeenRecord> seen;

  // From now on every dialog is confirmed with this file, or cancelled.
  void Confirm(const std::string& file, const std::string& title, DWORD filterIndex, DWORD flags) {
    answer = [=](OPENFILENAMEW& r) {
      Choose(r, file, title, filterIndex, flags);
      return TRUE;
    };
  }
  void Cancel() {
    answer = [](OPENFILENAMEW&) { return FALSE; };
  }

  DialogRecorder() {
    FileDialogCalls calls;
    calls.save = [this](OPENFILENAMEW& r) { return Record("save", r); };
    calls.open = [this](OPENFILENAMEW& r) { return Record("open", r); };
    calls.openPreview = [this](OPENFILENAMEW& r) { return Record("preview", r); };
    previous_ = SetFileDialogCalls(std::move(calls));
  }
  ~DialogRecorder() { SetFileDialogCalls(std::move(previous_)); }

 private:
  BOOL Record(const char* call, OPENFILENAMEW& r) {
    SeenRecord s;
    s.call = call;
    s.record = r;
    s.filter = NulListText(r.lpstrFilter);
    if (r.lpstrFile) s.file = Narrow(std::wstring(r.lpstrFile, r.nMaxFile));
    if (r.lpstrFileTitle) s.title = Narrow(std::wstring(r.lpstrFileTitle, r.nMaxFileTitle));
    s.initialDir = TextOrNone(r.lpstrInitialDir);
    s.dialogTitle = TextOrNone(r.lpstrTitle);
    s.defaultExt = TextOrNone(r.lpstrDefExt);
    seen.push_back(s);
    return answer(r);
  }
  FileDialogCalls previous_;
};

// The set-up of "Write Avi".
void SetUpForAvi(cFileDlg& dialog, HWND owner) {
  dialog.DefaultExt("avi");
  dialog.DlgTitle("Choose a filename to save AVI to...");
  dialog.Filter("AVI Files|*.avi");
  dialog.OwnerHwnd(owner);
}

class FileDlg : public ::testing::Test {
 protected:
  void SetUp() override { ::OleInitialize(nullptr); }
  void TearDown() override { ::OleUninitialize(); }
};

TEST_F(FileDlg, StartsWithItsDefaults) {
  cFileDlg dialog;
  EXPECT_EQ(dialog.OwnerHwnd(), cFileDlg::NoOwner());
  EXPECT_TRUE(dialog.FileMustExist());
  EXPECT_FALSE(dialog.MultiSelect());
  EXPECT_FALSE(dialog.ReadOnly());
  EXPECT_TRUE(dialog.HideReadOnly());
  EXPECT_EQ(dialog.Filter(), "");
  EXPECT_EQ(dialog.FilterIndex(), 0);
  ASSERT_NE(Documents(), "");
  EXPECT_EQ(Folder(dialog.InitDirectory()), Documents());
  EXPECT_EQ(dialog.DlgTitle(), "Lumavex");
  EXPECT_EQ(dialog.DefaultExt(), "");
  EXPECT_EQ(dialog.Flags(), 0u);
  EXPECT_TRUE(dialog.OverwritePrompt());

  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  dialog.InitDirectorySpecial(CSIDL_WINDOWS);
  EXPECT_EQ(Folder(dialog.InitDirectory()), Narrow(windows));
  dialog.InitDirectorySpecial(0x7F);  // no such shell folder
  EXPECT_EQ(dialog.InitDirectory(), "");
}

TEST_F(FileDlg, SaveRecordIsTheShortFormForThisBuildWithWriteAvisSettings) {
  DialogRecorder recorder;
  cFileDlg dialog;
  HWND owner = ::GetDesktopWindow();
  SetUpForAvi(dialog, owner);
  std::string name = "MyAVI.avi", title;
  EXPECT_FALSE(dialog.VBGetSaveFileName(name, title));

  ASSERT_EQ(recorder.seen.size(), 1u);
  const SeenRecord& s = recorder.seen[0];
  EXPECT_EQ(s.call, "save");
  const OPENFILENAMEW& r = s.record;
  // The wide form: 76 bytes in a 32-bit program; a 64-bit one needs 136.
  EXPECT_EQ(r.lStructSize, sizeof(void*) == 8 ? 136u : 76u);
  EXPECT_EQ(r.lStructSize, OPENFILENAME_SIZE_VERSION_400W);
  EXPECT_EQ(r.hwndOwner, owner);
  EXPECT_EQ(s.filter, "AVI Files\0*.avi\0\0"s);
  EXPECT_EQ(r.nFilterIndex, 0u);
  EXPECT_EQ(r.nMaxFile, 1024u);
  EXPECT_EQ(s.file, "MyAVI.avi" + std::string(1024 - 9, '\0'));
  EXPECT_EQ(r.nMaxFileTitle, 512u);
  EXPECT_EQ(s.title, std::string(512, '\0'));
  EXPECT_EQ(Folder(s.initialDir), Documents());
  EXPECT_EQ(s.dialogTitle, "Choose a filename to save AVI to...");
  EXPECT_EQ(s.defaultExt, "avi");
  EXPECT_EQ(r.Flags, static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY));
  EXPECT_EQ(r.hInstance, nullptr);
  EXPECT_EQ(r.lpstrCustomFilter, nullptr);
  EXPECT_EQ(r.nMaxCustFilter, 0u);
  EXPECT_EQ(r.lCustData, 0);
  EXPECT_EQ(r.lpfnHook, nullptr);
  EXPECT_EQ(r.lpTemplateName, nullptr);
}

TEST_F(FileDlg, EachMethodPassesItsFlags) {
  DialogRecorder recorder;
  std::string name, title;
  {
    cFileDlg save;
    save.OverwritePrompt(false);
    save.Flags(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_NOCHANGEDIR);
    save.HideReadOnly(false);  // the save dialog hides it whatever this says
    save.VBGetSaveFileName(name, title);
  }
  {
    cFileDlg open;
    open.VBGetOpenFileName(name, title);
  }
  {
    cFileDlg open;
    open.FileMustExist(false);
    open.MultiSelect(true);
    open.HideReadOnly(false);
    open.Flags(OFN_ENABLEHOOK | OFN_NOVALIDATE);
    open.VBGetOpenFileNamePreview(name, title);
  }
  ASSERT_EQ(recorder.seen.size(), 3u);
  EXPECT_EQ(recorder.seen[0].call, "save");
  EXPECT_EQ(recorder.seen[0].record.Flags, static_cast<DWORD>(OFN_NOCHANGEDIR | OFN_HIDEREADONLY));
  EXPECT_EQ(recorder.seen[1].call, "open");
  EXPECT_EQ(recorder.seen[1].record.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
  EXPECT_EQ(recorder.seen[2].call, "preview");
  EXPECT_EQ(recorder.seen[2].record.Flags, static_cast<DWORD>(OFN_ALLOWMULTISELECT | OFN_NOVALIDATE));
}

TEST_F(FileDlg, EmptyPropertiesGoAsNoTextAndNoOwnerAsNull) {
  DialogRecorder recorder;
  cFileDlg dialog;
  dialog.DlgTitle("");
  dialog.InitDirectory("");
  std::string name, title;
  dialog.VBGetOpenFileName(name, title);
  ASSERT_EQ(recorder.seen.size(), 1u);
  const SeenRecord& s = recorder.seen[0];
  EXPECT_EQ(s.record.hwndOwner, nullptr);
  EXPECT_EQ(s.record.lpstrFilter, nullptr);
  EXPECT_EQ(s.initialDir, "(none)");
  EXPECT_EQ(s.dialogTitle, "(none)");
  EXPECT_EQ(s.defaultExt, "(none)");
  EXPECT_EQ(s.file, std::string(1024, '\0'));
}

// A colon in a description splits it like a bar does.
TEST_F(FileDlg, FilterGoesAsANulSeparatedList) {
  DialogRecorder recorder;
  cFileDlg dialog;
  dialog.Filter("Type: AVI|*.avi|All|*.*");
  std::string name, title;
  dialog.VBGetSaveFileName(name, title);
  ASSERT_EQ(recorder.seen.size(), 1u);
  EXPECT_EQ(recorder.seen[0].filter, "Type\0 AVI\0*.avi\0All\0*.*\0\0"s);
}

TEST_F(FileDlg, ConfirmedSaveKeepsTheOutcomeForTheNextDialog) {
  DialogRecorder recorder;
  recorder.Confirm("C:\\films\\Clip.avi", "Clip.avi", 2, OFN_EXTENSIONDIFFERENT);
  cFileDlg dialog;
  dialog.Filter("AVI Files|*.avi|All Files|*.*");
  std::string name = "MyAVI.avi", title;
  ASSERT_TRUE(dialog.VBGetSaveFileName(name, title));
  EXPECT_EQ(name, "C:\\films\\Clip.avi");
  EXPECT_EQ(title, "Clip.avi");
  EXPECT_EQ(dialog.Flags(),
            static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_EXTENSIONDIFFERENT));
  EXPECT_EQ(dialog.FilterIndex(), 2);
  EXPECT_EQ(dialog.Filter(), "All Files\0*.*"s);
  EXPECT_EQ(dialog.InitDirectory(), "C:\\films\\Clip.avi");

  ASSERT_TRUE(dialog.VBGetSaveFileName(name, title));
  ASSERT_EQ(recorder.seen.size(), 2u);
  const SeenRecord& next = recorder.seen[1];
  EXPECT_EQ(next.filter, "All Files\0*.*\0\0"s);
  EXPECT_EQ(next.record.nFilterIndex, 2u);
  EXPECT_EQ(next.initialDir, "C:\\films\\Clip.avi");
  EXPECT_EQ(next.file.substr(0, 18), "C:\\films\\Clip.avi\0"s);
  EXPECT_EQ(next.title.substr(0, 9), "Clip.avi\0"s);
}

TEST_F(FileDlg, CancelResetsTheOutcome) {
  DialogRecorder recorder;
  recorder.Confirm("C:\\films\\Clip.avi", "Clip.avi", 1, 0);
  cFileDlg save, open;
  save.Filter("AVI Files|*.avi");
  open.Filter("AVI Files|*.avi");
  std::string name, title;
  ASSERT_TRUE(save.VBGetSaveFileName(name, title));
  ASSERT_TRUE(open.VBGetOpenFileName(name, title));

  recorder.Cancel();
  name = "MyAVI.avi";
  title = "x";
  EXPECT_FALSE(save.VBGetSaveFileName(name, title));
  EXPECT_EQ(name, "\0"s);
  EXPECT_EQ(title, "\0"s);
  EXPECT_EQ(save.Flags(), 0u);
  EXPECT_EQ(save.FilterIndex(), 0);
  EXPECT_EQ(save.Filter(), "\0"s);

  EXPECT_FALSE(open.VBGetOpenFileName(name, title));
  EXPECT_EQ(name, "\0"s);
  EXPECT_EQ(open.Flags(), 0u);
  EXPECT_EQ(open.FilterIndex(), -1);
  EXPECT_EQ(open.Filter(), "\0"s);
  // The NUL left in the filter makes an empty list for the next dialog.
  EXPECT_FALSE(open.VBGetOpenFileName(name, title));
  EXPECT_EQ(recorder.seen.back().filter, "\0\0"s);
}

TEST_F(FileDlg, OpenReadOnlyAnswerSticksAndIsAskedFor) {
  DialogRecorder recorder;
  recorder.Confirm("C:\\films\\Clip.avi", "Clip.avi", 1, OFN_READONLY);
  cFileDlg dialog;
  std::string name, title;
  ASSERT_TRUE(dialog.VBGetOpenFileName(name, title));
  EXPECT_TRUE(dialog.ReadOnly());
  recorder.Cancel();
  EXPECT_FALSE(dialog.VBGetOpenFileName(name, title));
  EXPECT_TRUE(dialog.ReadOnly());
  ASSERT_EQ(recorder.seen.size(), 2u);
  EXPECT_TRUE(recorder.seen[1].record.Flags & OFN_READONLY);
}

// Several chosen files come back as folder, NUL, names: only the folder reaches the caller.
TEST_F(FileDlg, MultiSelectHandsOnTheTextBeforeTheFirstNul) {
  DialogRecorder recorder;
  recorder.answer = [](OPENFILENAMEW& r) {
    const std::wstring answer = L"C:\\films\0a.avi\0b.avi\0\0"s;
    std::copy(answer.begin(), answer.end(), r.lpstrFile);
    r.nFilterIndex = 1;
    return TRUE;
  };
  cFileDlg dialog;
  dialog.MultiSelect(true);
  std::string name, title;
  ASSERT_TRUE(dialog.VBGetOpenFileName(name, title));
  EXPECT_EQ(name, "C:\\films");
}

TEST_F(FileDlg, OverlongStartingNameIsCutToTheBuffer) {
  DialogRecorder recorder;
  cFileDlg dialog;
  std::string name(3000, 'n'), title(900, 't');
  dialog.VBGetSaveFileName(name, title);
  ASSERT_EQ(recorder.seen.size(), 1u);
  EXPECT_EQ(recorder.seen[0].file, std::string(1023, 'n') + '\0');
  EXPECT_EQ(recorder.seen[0].title, std::string(511, 't') + '\0');
}

// Names in any script go to the dialog and come back whole; a starting name
// longer than the buffer is cut between characters, never inside a pair.
TEST_F(FileDlg, NamesInAnyScriptRoundTrip) {
  DialogRecorder recorder;
  const std::string chosen = "C:\\фильмы\\王伟 😀.avi";
  recorder.Confirm(chosen, "王伟 😀.avi", 1, 0);
  cFileDlg dialog;
  dialog.Filter("Vidéos|*.avi");
  dialog.DlgTitle("Łódź");
  std::string name = "李娜.avi", title;
  ASSERT_TRUE(dialog.VBGetSaveFileName(name, title));
  ASSERT_EQ(recorder.seen.size(), 1u);
  const SeenRecord& s = recorder.seen[0];
  EXPECT_EQ(s.file.substr(0, 11), "李娜.avi\0"s);
  EXPECT_EQ(s.filter, "Vidéos\0*.avi\0\0"s);
  EXPECT_EQ(s.dialogTitle, "Łódź");
  EXPECT_EQ(name, chosen);
  EXPECT_EQ(title, "王伟 😀.avi");
  EXPECT_EQ(dialog.InitDirectory(), chosen);

  std::string smileys = "aa";
  for (int i = 0; i < 600; ++i) smileys += "😀";  // U+1F600: two UTF-16 units each
  dialog.VBGetSaveFileName(smileys, title);
  ASSERT_EQ(recorder.seen.size(), 2u);
  const std::wstring buffer = Widen(recorder.seen[1].file);
  ASSERT_EQ(buffer.size(), 1024u);
  // A 511th pair would leave no room for the closing NUL; half of one is never passed.
  EXPECT_EQ(buffer.find(L'\0'), 2u + 2 * 510);
  EXPECT_EQ(buffer[2 + 2 * 510 - 1], static_cast<wchar_t>(0xDE00));
}

TEST_F(FileDlg, ExistFileAndFileTitle) {
  test::TempFolder temp;
  const std::string file = temp.path() + "\\Clip.avi";
  ASSERT_TRUE(WriteWholeFile(file, {{"x", 1}}));
  EXPECT_TRUE(cFileDlg::ExistFile(file));
  EXPECT_FALSE(cFileDlg::ExistFile(temp.path() + "\\missing.avi"));
  EXPECT_FALSE(cFileDlg::ExistFile(temp.path()));
  EXPECT_FALSE(cFileDlg::ExistFile(""));

  EXPECT_EQ(cFileDlg::VBGetFileTitle(file), "Clip.avi");
  EXPECT_EQ(cFileDlg::VBGetFileTitle(temp.path() + "\\*.avi"), "");
}

// The real dialog, owned by the main window.
class FileDlgOnScreen : public FileDlg {
 protected:
  void SetUp() override {
    FileDlg::SetUp();
    form_ = Form1::Create(false);
    ASSERT_NE(form_, nullptr);
  }
  void TearDown() override {
    form_.reset();
    FileDlg::TearDown();
  }
  std::unique_ptr<Form1> form_;
};

// Opens in the documents folder with one filter, the proposed name and no
// read-only box; a name typed without extension comes back with ".avi".
TEST_F(FileDlgOnScreen, WriteAvisSaveDialogConfirmed) {
  cFileDlg dialog;
  SetUpForAvi(dialog, form_->hwnd());
  bool readOnlyShown = true;
  int filters = 0;
  std::string filter, proposed;
  HWND owner = nullptr;
  test::DialogDriver driver([&](test::DialogDriver& d) {
    HWND save = d.Wait("Choose a filename to save AVI to...");
    if (!save) return;
    owner = ::GetWindow(save, GW_OWNER);
    readOnlyShown = ::IsWindowVisible(::GetDlgItem(save, 0x410)) != 0;  // chx1
    HWND types = ::GetDlgItem(save, 0x470);                             // cmb1
    filters = static_cast<int>(::SendMessageW(types, CB_GETCOUNT, 0, 0));
    // The dialog's thread is waiting in its loop: it answers.
    filter = ControlText(types);
    proposed = ControlText(::GetDlgItem(save, 0x47c));  // cmb13, the name
    if (d.SetFileName(save, "Clip")) d.Click(save, IDOK);
  });
  std::string name = "MyAVI.avi", title;
  const bool confirmed = dialog.VBGetSaveFileName(name, title);
  driver.Finish();
  for (const std::string& failure : driver.failures()) ADD_FAILURE() << failure;

  EXPECT_EQ(owner, form_->hwnd());
  EXPECT_FALSE(readOnlyShown);
  EXPECT_EQ(filters, 1);
  EXPECT_EQ(filter, "AVI Files");
  EXPECT_EQ(proposed, "MyAVI.avi");
  ASSERT_TRUE(confirmed);
  EXPECT_EQ(name, Documents() + "\\Clip.avi");
  EXPECT_EQ(title, "Clip.avi");
  EXPECT_EQ(dialog.FilterIndex(), 1);
  EXPECT_EQ(dialog.Filter(), "AVI Files\0*.avi"s);
  EXPECT_EQ(dialog.InitDirectory(), name);
  EXPECT_TRUE(dialog.Flags() & OFN_OVERWRITEPROMPT);
}

TEST_F(FileDlgOnScreen, WriteAvisSaveDialogCancelled) {
  cFileDlg dialog;
  SetUpForAvi(dialog, form_->hwnd());
  test::DialogDriver driver([](test::DialogDriver& d) {
    if (HWND save = d.Wait("Choose a filename to save AVI to...")) d.Click(save, IDCANCEL);
  });
  std::string name = "MyAVI.avi", title;
  const bool confirmed = dialog.VBGetSaveFileName(name, title);
  driver.Finish();
  for (const std::string& failure : driver.failures()) ADD_FAILURE() << failure;

  EXPECT_FALSE(confirmed);
  EXPECT_EQ(name, "\0"s);
  EXPECT_EQ(title, "\0"s);
  EXPECT_EQ(dialog.Flags(), 0u);
  EXPECT_EQ(dialog.FilterIndex(), 0);
  EXPECT_EQ(dialog.Filter(), "\0"s);
  EXPECT_EQ(Folder(dialog.InitDirectory()), Documents());
}

}  // namespace
}  // namespace lumavex
