#include "dialogs/win32/folder_browser.h"

#include <shlobj.h>

#include "platform/kernel.h"
#include "base/utf8.h"

namespace lumavex {

std::optional<std::string> BrowseForSaveFolder(HWND owner) {
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  // Rooted at the desktop when the shell gives its item list; a failure only
  // leaves the root unset.
  UniqueItemList root;
  if (::SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, root.put()) != S_OK) root.reset();
  info.pidlRoot = root.get();
  wchar_t displayName[MAX_PATH] = {};
  info.pszDisplayName = displayName;
  info.lpszTitle = L"Browse";
  info.ulFlags = BIF_RETURNONLYFSDIRS;

  UniqueItemList chosen(::SHBrowseForFolderW(&info));
  if (!chosen) return std::nullopt;
  wchar_t path[MAX_PATH] = {};
  ::SHGetPathFromIDListW(chosen.get(), path);
  return Narrow(path);
}

}  // namespace lumavex
