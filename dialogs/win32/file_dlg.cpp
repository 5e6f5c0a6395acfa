#include "dialogs/win32/file_dlg.h"

#include <shlobj.h>
#include <vfw.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "dialogs/file_filter.h"
#include "base/file.h"
#include "platform/kernel.h"
#include "base/message.h"
#include "base/utf8.h"

namespace lumavex {
namespace {

FileDialogCalls& CurrentCalls() {
  static FileDialogCalls calls = PlatformFileDialogCalls();
  return calls;
}

// A buffer of exactly `length` UTF-16 units holding `text` (cut between
// characters so that at least one NUL follows it) and NULs after it.
std::vector<wchar_t> PaddedBuffer(const std::string& text, std::size_t length) {
  std::vector<wchar_t> buffer(length, L'\0');
  const std::wstring wide = Widen(std::string(Utf8PrefixWithinUtf16(text, length - 1)));
  std::copy(wide.begin(), wide.end(), buffer.begin());
  return buffer;
}

std::string UpToNul(const wchar_t* text, std::size_t length) {
  std::size_t n = 0;
  while (n < length && text[n] != L'\0') ++n;
  return Narrow(std::wstring(text, n));
}

// An empty property goes to the platform as no text.
const wchar_t* TextOrNull(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

FileDialogCalls PlatformFileDialogCalls() {
  FileDialogCalls calls;
  calls.save = [](OPENFILENAMEW& record) { return ::GetSaveFileNameW(&record); };
  calls.open = [](OPENFILENAMEW& record) { return ::GetOpenFileNameW(&record); };
  calls.openPreview = [](OPENFILENAMEW& record) { return ::GetOpenFileNamePreviewW(&record); };
  return calls;
}

FileDialogCalls SetFileDialogCalls(FileDialogCalls calls) {
  return std::exchange(CurrentCalls(), std::move(calls));
}

cFileDlg::cFileDlg()
    : ownerHwnd_(NoOwner()),
      fileMustExist_(true),
      multiSelect_(false),
      hideReadOnly_(true),
      dlgTitle_(kAppTitle),
      overwritePrompt_(true) {
  initDirectory_ = SpecialFolderPath(CSIDL_PERSONAL);
}

bool cFileDlg::VBGetOpenFileName(std::string& filename, std::string& FileTitle) {
  return Run(Kind::Open, filename, FileTitle);
}

bool cFileDlg::VBGetOpenFileNamePreview(std::string& filename, std::string& FileTitle) {
  return Run(Kind::OpenPreview, filename, FileTitle);
}

bool cFileDlg::VBGetSaveFileName(std::string& filename, std::string& FileTitle) {
  return Run(Kind::Save, filename, FileTitle);
}

DWORD cFileDlg::DialogFlags(Kind kind) const {
  // A hook or template would need code and resources this object doesn't have.
  DWORD flags = flags_ & ~static_cast<DWORD>(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE);
  if (kind == Kind::Save) {
    if (overwritePrompt_) flags |= OFN_OVERWRITEPROMPT;
    flags |= OFN_HIDEREADONLY;
  } else {
    if (fileMustExist_) flags |= OFN_FILEMUSTEXIST;
    if (multiSelect_) flags |= OFN_ALLOWMULTISELECT;
    if (hideReadOnly_) flags |= OFN_HIDEREADONLY;
    if (readOnly_) flags |= OFN_READONLY;
  }
  return flags;
}

bool cFileDlg::Run(Kind kind, std::string& filename, std::string& FileTitle) {
  const std::string filterList = ConvertFilter(filter_);
  const std::wstring wideFilterList = Widen(filterList);  // NULs included
  const std::wstring initDirectory = Widen(initDirectory_), dlgTitle = Widen(dlgTitle_),
                     defaultExt = Widen(defaultExt_);
  std::vector<wchar_t> file = PaddedBuffer(filename, kMaxFile);
  std::vector<wchar_t> title = PaddedBuffer(FileTitle, kMaxFileTitle);

  OPENFILENAMEW record{};
  // The record without the later extension fields, in the size this build's
  // pointers give it (76 bytes would be refused at once in a 64-bit program).
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  record.hwndOwner = ownerHwnd_ == NoOwner() ? nullptr : ownerHwnd_;
  record.lpstrFilter = filter_.empty() ? nullptr : wideFilterList.c_str();
  record.nFilterIndex = static_cast<DWORD>(filterIndex_);
  record.lpstrFile = file.data();
  record.nMaxFile = kMaxFile;
  record.lpstrFileTitle = title.data();
  record.nMaxFileTitle = kMaxFileTitle;
  record.lpstrInitialDir = TextOrNull(initDirectory);
  record.lpstrTitle = TextOrNull(dlgTitle);
  record.Flags = DialogFlags(kind);
  record.lpstrDefExt = TextOrNull(defaultExt);

  const FileDialogCalls& calls = CurrentCalls();
  const FileDialogCalls::Call& call = kind == Kind::Save   ? calls.save
                                      : kind == Kind::Open ? calls.open
                                                           : calls.openPreview;
  const bool confirmed = call && call(record) != 0;

  if (!confirmed) {
    // A refused dialog counts as cancelled.
    filename.assign(1, '\0');
    FileTitle.assign(1, '\0');
    flags_ = 0;
    filterIndex_ = kind == Kind::Save ? 0 : -1;
    filter_.assign(1, '\0');
    return false;
  }
  // With several files chosen, only the text before the first NUL (the
  // folder) is handed on.
  filename = UpToNul(file.data(), file.size());
  FileTitle = UpToNul(title.data(), title.size());
  flags_ = record.Flags;
  filterIndex_ = static_cast<std::int32_t>(record.nFilterIndex);
  filter_ = FilterEntryAt(filterList, filterIndex_);
  initDirectory_ = filename;
  if (kind != Kind::Save && (record.Flags & OFN_READONLY)) readOnly_ = true;
  return true;
}

bool cFileDlg::ExistFile(const std::string& sSpec) { return FileExistsUtf8(sSpec); }

std::string cFileDlg::VBGetFileTitle(const std::string& sFile) {
  std::vector<wchar_t> buffer(kMaxFile, L'\0');
  if (::GetFileTitleW(Widen(sFile).c_str(), buffer.data(), static_cast<WORD>(buffer.size())) != 0) return {};
  return UpToNul(buffer.data(), buffer.size());
}

std::string cFileDlg::SpecialFolderPath(int folder) const {
  HWND owner = ownerHwnd_ == NoOwner() ? nullptr : ownerHwnd_;
  UniqueItemList list;
  if (FAILED(::SHGetSpecialFolderLocation(owner, folder, list.put()))) return {};
  std::vector<wchar_t> path(kMaxFile, L'\0');
  if (!list || !::SHGetPathFromIDListW(list.get(), path.data())) return {};
  return UpToNul(path.data(), path.size());
}

}  // namespace lumavex
