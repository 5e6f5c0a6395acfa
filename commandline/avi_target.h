#pragma once
// Where --write-avi puts a folder's video when no --out is given.
#include <optional>
#include <string>

namespace lumavex {

// "FOLDER.avi" beside the folder: `C:\rec\Alice01\` gives `C:\rec\Alice01.avi`.
// Trailing separators ("\" or "/", any number) are ignored. Nothing when the
// folder has no name of its own to lend the video: empty, a drive or its root
// ("C:", "C:\", "\\?\C:\"), the root of the current drive ("\"), a share or
// its server ("\\server\share"), or whose last name is "." or "..".
std::optional<std::string> AviTargetBesideFolder(const std::string& folder);

}  // namespace lumavex
