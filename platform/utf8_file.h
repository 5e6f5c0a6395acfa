#pragma once
// C stdio on UTF-8 paths. On Windows the narrow C runtime calls take the
// ANSI code page, so these go through the wide ones there; elsewhere they
// are the plain calls.
#include <cstdio>
#include <memory>
#include <string>

namespace lumavex {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueStdFile = std::unique_ptr<std::FILE, FileCloser>;

std::FILE* OpenFileUtf8(const std::string& path, const char* mode);
// 0 on success, as std::rename and std::remove.
int RenameFileUtf8(const std::string& from, const std::string& to);
int RemoveFileUtf8(const std::string& path);
// Moves a finished temporary `from` over `to`, replacing a file there. True
// on success; on failure `from` is left for the caller to remove.
bool ReplaceFileUtf8(const std::string& from, const std::string& to);
// True when `path` names an existing regular file (not a folder). The one
// existence check of the program: platform/files.h's FileExists is this.
bool FileExistsUtf8(const std::string& path);

}  // namespace lumavex
