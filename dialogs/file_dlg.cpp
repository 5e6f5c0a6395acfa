#include "dialogs/file_dlg.h"

#include <shlobj.h>
#include <vfw.h>

#include <utility>
#include <vector>

#include "dialogs/file_filter.h"
#include "platform/kernel.h"
#include "platform/message.h"

namespace lumavex {
namespace {

FileDialogCalls& CurrentCalls() {
  static FileDialogCalls calls = PlatformFileDialogCalls();
  return calls;
}

// A buffer of exactly `length` characters holding `text` (cut so that at
// least one NUL follows it) and NULs after it.
std::vector<char> PaddedBuffer(const std::string& text, std::size_t length) {
  std::vector<char> buffer(length, '\0');
  const std::size_t n = text.size() < length ? text.size() : length - 1;
  text.copy(buffer.data(), n);
  return buffer;
}

std::string UpToNul(const char* text, std::size_t length) {
  std::size_t n = 0;
  while (n < length && text[n] != '\0') ++n;
  return std::string(text, n);
}

// An empty property goes to the platform as no text.
const char* TextOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

FileDialogCalls PlatformFileDialogCalls() {
  FileDialogCalls calls;
  calls.save = [](OPENFILENAMEA& record) { return ::GetSaveFileNameA(&record); };
  calls.open = [](OPENFILENAMEA& record) { return ::GetOpenFileNameA(&record); };
  calls.openPreview = [](OPENFILENAMEA& record) { return ::GetOpenFileNamePreviewA(&record); };
  return calls;
}

FileDialogCalls SetFileDialogCalls(FileDialogCalls calls) { return std::exchange(CurrentCalls(), std::move(calls)); }

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
  std::vector<char> file = PaddedBuffer(filename, kMaxFile);
  std::vector<char> title = PaddedBuffer(FileTitle, kMaxFileTitle);

  OPENFILENAMEA record{};
  // The record without the later extension fields, in the size this build's
  // pointers give it (76 bytes would be refused at once in a 64-bit program).
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  record.hwndOwner = ownerHwnd_ == NoOwner() ? nullptr : ownerHwnd_;
  record.lpstrFilter = filter_.empty() ? nullptr : filterList.c_str();
  record.nFilterIndex = static_cast<DWORD>(filterIndex_);
  record.lpstrFile = file.data();
  record.nMaxFile = kMaxFile;
  record.lpstrFileTitle = title.data();
  record.nMaxFileTitle = kMaxFileTitle;
  record.lpstrInitialDir = TextOrNull(initDirectory_);
  record.lpstrTitle = TextOrNull(dlgTitle_);
  record.Flags = DialogFlags(kind);
  record.lpstrDefExt = TextOrNull(defaultExt_);

  const FileDialogCalls& calls = CurrentCalls();
  const FileDialogCalls::Call& call =
      kind == Kind::Save ? calls.save : kind == Kind::Open ? calls.open : calls.openPreview;
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

bool cFileDlg::ExistFile(const std::string& sSpec) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExA(sSpec.c_str(), GetFileExInfoStandard, &data)) return false;
  return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string cFileDlg::VBGetFileTitle(const std::string& sFile) {
  std::vector<char> buffer(kMaxFile, '\0');
  if (::GetFileTitleA(sFile.c_str(), buffer.data(), static_cast<WORD>(buffer.size())) != 0) return {};
  return UpToNul(buffer.data(), buffer.size());
}

std::string cFileDlg::SpecialFolderPath(int folder) const {
  HWND owner = ownerHwnd_ == NoOwner() ? nullptr : ownerHwnd_;
  UniqueItemList list;
  if (FAILED(::SHGetSpecialFolderLocation(owner, folder, list.put()))) return {};
  std::vector<char> path(kMaxFile, '\0');
  if (!list || !::SHGetPathFromIDListA(list.get(), path.data())) return {};
  return UpToNul(path.data(), path.size());
}

}  // namespace lumavex
