#pragma once
// Files on UTF-8 paths for portable code: the C runtime's stdio, reached
// through its wide calls on Windows (base/win32/) and the plain ones
// elsewhere (base/posix/), with 64-bit positions on both, and the one way a
// finished file is put in place.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace lumavex {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueStdFile = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* OpenFileUtf8(const std::string& path, const char* mode);
// Creates or empties `path` for writing ("wb") as its only writer: while it
// is open, another opening for writing fails (on Windows, where sharing
// modes exist; POSIX has none).
std::FILE* OpenSoleWriterUtf8(const std::string& path);
// As OpenSoleWriterUtf8, but only makes a new file: null when anything is
// at `path` already, so nobody's file is ever emptied.
std::FILE* OpenNewSoleWriterUtf8(const std::string& path);
// 0 on success, as std::remove.
int RemoveFileUtf8(const std::string& path);
// True when `path` names an existing regular file (not a folder). The one
// existence check of the program.
bool FileExistsUtf8(const std::string& path);

// Moves the position of `file` to `offset` from its start (long, which the
// plain calls take, is 32 bits on Windows).
bool SeekFile(std::FILE* file, std::uint64_t offset);
// The length of an open file; its position does not move.
std::optional<std::uint64_t> FileLength(std::FILE* file);

// A file that is written is first written whole as `<target>.part` beside
// its target and only then put in place (ReplaceWithFinished), so the target
// is always either its old self or the new file complete.
inline constexpr const char* kPartSuffix = ".part";
inline std::string PartPathOf(const std::string& target) { return target + kPartSuffix; }

// Replaces `target` (or makes it, when there is none) with the finished file
// `finished`, in one step: MoveFileExW with MOVEFILE_REPLACE_EXISTING on
// Windows, rename on POSIX. On failure the target is as it was and
// `finished` is still there, for the caller to remove.
bool ReplaceWithFinished(const std::string& finished, const std::string& target);

}  // namespace lumavex
