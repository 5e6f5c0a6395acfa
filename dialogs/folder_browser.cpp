#include "dialogs/folder_browser.h"

#include <shlobj.h>

#include "app/form1.h"
#include "platform/controls.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/wide.h"

namespace lumavex {

void BrowseForSaveFolder(Form1& form) {
  BROWSEINFOW info{};
  info.hwndOwner = form.hwnd();
  // Rooted at the desktop when the shell gives its item list; a failure only
  // leaves the root unset.
  LPITEMIDLIST rawRoot = nullptr;
  UniqueItemList root;
  if (::SHGetSpecialFolderLocation(form.hwnd(), CSIDL_DESKTOP, &rawRoot) == S_OK) root.reset(rawRoot);
  info.pidlRoot = root.get();
  wchar_t displayName[MAX_PATH] = {};
  info.pszDisplayName = displayName;
  info.lpszTitle = L"Browse";
  info.ulFlags = BIF_RETURNONLYFSDIRS;

  // Empty while the dialog is up, so a half-chosen folder is never recorded into.
  SetControlText(form.txtPath, "");
  UniqueItemList chosen(::SHBrowseForFolderW(&info));
  if (chosen) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetPathFromIDListW(chosen.get(), path);
    SetControlText(form.txtPath, Narrow(path));
  } else {
    SetControlText(form.txtPath, ExecutableFolder());
  }
}

}  // namespace lumavex
