#pragma once
// File-system services of the runtime layer. Paths are UTF-8, as all text in
// the program; the calls underneath are the wide (UTF-16) ones.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lumavex {

// True when a directory or a file of that path exists. (Whether a regular
// file exists is base/file.h's FileExistsUtf8.)
bool PathExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// Makes one directory level; true when it exists afterwards as a directory.
bool MakeDirectory(const std::string& path);

// Writes the buffers one after the other as the whole new content of `path`.
// On failure nothing is left at `path` and false is returned.
bool WriteWholeFile(const std::string& path, const std::vector<std::pair<const void*, std::size_t>>& parts);

// Makes `bytes` the whole content of the file, reusing its capacity. False
// when the file cannot be opened or read whole, or is larger than
// `maxBytes` (at most 2 GB - 1).
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes,
                   std::uint64_t maxBytes = 0x7FFFFFFF);

// The system's own text for an error code (GetLastError), on one line
// without its final full stop's line break; "Unknown error" when it has none.
std::string SystemErrorText(unsigned long code);

// An entry directly in a folder: its name, whether it is a folder, its size
// and when it was last written (UTC ms since 1970).
struct FolderEntry {
  std::string name;
  bool folder = false;
  std::uint64_t bytes = 0;
  std::int64_t writtenMs = 0;
};
// The entries of `folder` but "." and "..", in the system's order, in one
// pass of its listing; none when it cannot be listed.
std::vector<FolderEntry> ListFolder(const std::string& folder);

// The folder that holds the program's executable, without a trailing "\"
// unless it is a drive's root folder.
std::string ExecutableFolder();

// The user's roaming application data folder: the APPDATA variable of this
// process when it is set (so a test, or a portable setup, can point it
// elsewhere), the folder the shell names otherwise. Empty when neither
// gives one.
std::string RoamingAppDataFolder();

// Bytes free to this user on the volume that holds `folder` (an existing
// folder); nothing when the volume cannot be asked (a vanished folder).
std::optional<std::uint64_t> FreeSpaceOfVolume(const std::string& folder);
// The root of the volume that holds `path` ("C:\\", a mount point, a
// share); `path` itself when the system cannot tell.
std::string VolumeOf(const std::string& path);

}  // namespace lumavex
