#pragma once
// The platform's common file dialogs (open, open with video preview, save)
// behind an object whose properties hold the dialog's settings. After each
// dialog the properties hold its outcome (flags, chosen filter entry, chosen
// path), and the next dialog of the same object starts from them. Text is
// UTF-8; the dialogs are the wide (UTF-16) ones, so paths in any script work.
#include <windows.h>
#include <commdlg.h>

#include <cstdint>
#include <functional>
#include <string>

namespace lumavex {

// The platform dialog calls the methods make, one per method. Tests put
// recorders in their place to see the record each method passes.
struct FileDialogCalls {
  using Call = std::function<BOOL(OPENFILENAMEW&)>;
  Call save;
  Call open;
  Call openPreview;
};
// The real platform calls.
FileDialogCalls PlatformFileDialogCalls();
// Replaces the process-wide calls and returns the previous ones.
FileDialogCalls SetFileDialogCalls(FileDialogCalls calls);

class cFileDlg {
 public:
  // OwnerHwnd's "no owner" value.
  static HWND NoOwner() { return reinterpret_cast<HWND>(static_cast<INT_PTR>(-1)); }
  // Buffer lengths of the chosen file's path and title, in UTF-16 units.
  static constexpr int kMaxFile = 1024;
  static constexpr int kMaxFileTitle = 512;

  cFileDlg();  // Class_Initialize

  HWND OwnerHwnd() const { return ownerHwnd_; }
  void OwnerHwnd(HWND vHwnd) { ownerHwnd_ = vHwnd; }
  bool FileMustExist() const { return fileMustExist_; }
  void FileMustExist(bool vNewValue) { fileMustExist_ = vNewValue; }
  bool MultiSelect() const { return multiSelect_; }
  void MultiSelect(bool vNewValue) { multiSelect_ = vNewValue; }
  bool ReadOnly() const { return readOnly_; }
  bool HideReadOnly() const { return hideReadOnly_; }
  void HideReadOnly(bool vNewValue) { hideReadOnly_ = vNewValue; }
  // "Description|pattern|..."; after a confirmed dialog the chosen entry as
  // description, NUL, pattern; after a cancelled one a single NUL.
  const std::string& Filter() const { return filter_; }
  void Filter(const std::string& vFilterString) { filter_ = vFilterString; }
  std::int32_t FilterIndex() const { return filterIndex_; }
  void FilterIndex(std::int32_t vIndex) { filterIndex_ = vIndex; }
  const std::string& InitDirectory() const { return initDirectory_; }
  void InitDirectory(const std::string& DirPath) { initDirectory_ = DirPath; }
  // Sets InitDirectory to the path of a shell folder (a CSIDL number).
  void InitDirectorySpecial(int SpecialDirectory) { initDirectory_ = SpecialFolderPath(SpecialDirectory); }
  const std::string& DlgTitle() const { return dlgTitle_; }
  void DlgTitle(const std::string& title) { dlgTitle_ = title; }
  const std::string& DefaultExt() const { return defaultExt_; }
  void DefaultExt(const std::string& fileExt) { defaultExt_ = fileExt; }
  DWORD Flags() const { return flags_; }
  void Flags(DWORD vFlags) { flags_ = vFlags; }
  bool OverwritePrompt() const { return overwritePrompt_; }
  void OverwritePrompt(bool vShowPrompt) { overwritePrompt_ = vShowPrompt; }

  // Each shows its dialog, starting from `filename` and `FileTitle` (at most
  // kMaxFile - 1 and kMaxFileTitle - 1 UTF-16 units are passed on, cut
  // between characters), and returns
  // true when the user confirmed a file; the two strings then hold the chosen
  // full path and bare name. On cancel (or a dialog the platform refuses)
  // both become a single NUL and false is returned.
  bool VBGetOpenFileName(std::string& filename, std::string& FileTitle);
  bool VBGetOpenFileNamePreview(std::string& filename, std::string& FileTitle);
  bool VBGetSaveFileName(std::string& filename, std::string& FileTitle);

  // True when `sSpec` names an existing file (not a folder).
  static bool ExistFile(const std::string& sSpec);
  // The platform's display title of a path; empty on error.
  static std::string VBGetFileTitle(const std::string& sFile);

 private:
  enum class Kind { Open, OpenPreview, Save };
  bool Run(Kind kind, std::string& filename, std::string& FileTitle);
  DWORD DialogFlags(Kind kind) const;
  std::string SpecialFolderPath(int folder) const;

  HWND ownerHwnd_;
  bool fileMustExist_;
  bool multiSelect_;
  bool readOnly_ = false;
  bool hideReadOnly_;
  std::string filter_;
  std::int32_t filterIndex_ = 0;
  std::string initDirectory_;
  std::string dlgTitle_;
  std::string defaultExt_;
  DWORD flags_ = 0;
  bool overwritePrompt_;
};

}  // namespace lumavex
