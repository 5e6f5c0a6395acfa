#include "dialogs/folder_browser.h"

#include <shlobj.h>

#include "platform/kernel.h"

namespace lumavex {

std::optional<std::string> BrowseForSaveFolder(HWND owner) {
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  // Rooted at the desktop when the shell gives its item list; a failure only
  // leaves the root unset.
  UniqueItemList root;
  if (::SHGetSpecialFolderLocation(owner, CSIDL_DESKTOP, root.put()) != S_OK) root.reset();
  info.pidlRoot = root.get();
  char displayName[MAX_PATH] = {};
  info.pszDisplayName = displayName;
  info.lpszTitle = "Browse";
  info.ulFlags = BIF_RETURNONLYFSDIRS;

  UniqueItemList chosen(::SHBrowseForFolderA(&info));
  if (!chosen) return std::nullopt;
  char path[MAX_PATH] = {};
  ::SHGetPathFromIDListA(chosen.get(), path);
  return std::string(path);
}

}  // namespace lumavex
