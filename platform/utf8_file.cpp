#include "platform/utf8_file.h"

#include <sys/stat.h>

#if defined(_WIN32)
#include <wchar.h>

#include "platform/utf8.h"
#endif

namespace lumavex {

#if defined(_WIN32)
namespace {
std::wstring Wide(const std::string& text) {
  const std::u16string u16 = Utf8ToUtf16(text);
  return std::wstring(u16.begin(), u16.end());
}
}  // namespace

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) {
  return ::_wfopen(Wide(path).c_str(), Wide(mode).c_str());
}
int RenameFileUtf8(const std::string& from, const std::string& to) {
  return ::_wrename(Wide(from).c_str(), Wide(to).c_str());
}
int RemoveFileUtf8(const std::string& path) { return ::_wremove(Wide(path).c_str()); }
bool FileExistsUtf8(const std::string& path) {
  struct _stat64 status;
  if (::_wstat64(Wide(path).c_str(), &status) != 0) return false;
  return (status.st_mode & _S_IFMT) == _S_IFREG;
}
#else
std::FILE* OpenFileUtf8(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }
int RenameFileUtf8(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str());
}
int RemoveFileUtf8(const std::string& path) { return std::remove(path.c_str()); }
bool FileExistsUtf8(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  return S_ISREG(status.st_mode);
}
#endif

bool ReplaceFileUtf8(const std::string& from, const std::string& to) {
  bool moved = RenameFileUtf8(from, to) == 0;
#if defined(_WIN32)
  // The C runtime's rename there does not replace an existing file. (POSIX
  // rename replaces it atomically, so nothing is removed there.)
  if (!moved && RemoveFileUtf8(to) == 0) moved = RenameFileUtf8(from, to) == 0;
#endif
  return moved;
}

}  // namespace lumavex
