// Windows side of base/file.h: the C runtime's narrow calls take the ANSI
// code page, so paths go through the wide ones.
#include "base/file.h"

#include <windows.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <wchar.h>

#include "base/utf8.h"

namespace lumavex {

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) {
  return ::_wfopen(Widen(path).c_str(), Widen(mode).c_str());
}

std::FILE* OpenSoleWriterUtf8(const std::string& path) {
  // Others may read it, not write it, nor remove it.
  return ::_wfsopen(Widen(path).c_str(), L"wb", _SH_DENYWR);
}

std::FILE* OpenNewSoleWriterUtf8(const std::string& path) {
  int fd = -1;
  if (::_wsopen_s(&fd, Widen(path).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYWR,
                  _S_IREAD | _S_IWRITE) != 0)
    return nullptr;
  std::FILE* file = ::_fdopen(fd, "wb");
  if (file == nullptr) ::_close(fd);
  return file;
}

int RemoveFileUtf8(const std::string& path) { return ::_wremove(Widen(path).c_str()); }

bool FileExistsUtf8(const std::string& path) {
  struct _stat64 status;
  if (::_wstat64(Widen(path).c_str(), &status) != 0) return false;
  return (status.st_mode & _S_IFMT) == _S_IFREG;
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return ::_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
}

std::optional<std::uint64_t> FileLength(std::FILE* file) {
  const __int64 length = ::_filelengthi64(::_fileno(file));
  if (length < 0) return std::nullopt;
  return static_cast<std::uint64_t>(length);
}

// The C runtime's rename does not replace; MoveFileExW does, in one step, so
// the old target stays whole when the move fails. A finished file written
// on another volume (the AVI services' temporary folder) is copied over.
bool ReplaceWithFinished(const std::string& finished, const std::string& target) {
  return ::MoveFileExW(Widen(finished).c_str(), Widen(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace lumavex
