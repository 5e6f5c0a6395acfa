// POSIX side of base/file.h: the plain C calls take UTF-8 paths as they are.
#include "base/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

namespace lumavex {

std::FILE* OpenFileUtf8(const std::string& path, const char* mode) { return std::fopen(path.c_str(), mode); }

std::FILE* OpenSoleWriterUtf8(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

std::FILE* OpenNewSoleWriterUtf8(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  if (fd < 0) return nullptr;
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) ::close(fd);
  return file;
}

int RemoveFileUtf8(const std::string& path) { return std::remove(path.c_str()); }

bool FileExistsUtf8(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return false;
  return S_ISREG(status.st_mode);
}

bool SeekFile(std::FILE* file, std::uint64_t offset) {
  return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
}

std::optional<std::uint64_t> FileLength(std::FILE* file) {
  struct stat status;
  if (::fstat(::fileno(file), &status) != 0 || status.st_size < 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

// rename replaces an existing target atomically.
bool ReplaceWithFinished(const std::string& finished, const std::string& target) {
  return std::rename(finished.c_str(), target.c_str()) == 0;
}

}  // namespace lumavex
