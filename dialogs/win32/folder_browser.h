#pragma once
// The folder button's dialog: the shell's folder browser, titled "Browse".
#include <windows.h>

#include <optional>
#include <string>

namespace lumavex {

// Shows the browser over `owner`, rooted at the desktop. The chosen folder's
// path (empty for an item that is no file-system folder), or nothing when the
// user cancels.
std::optional<std::string> BrowseForSaveFolder(HWND owner);

}  // namespace lumavex
