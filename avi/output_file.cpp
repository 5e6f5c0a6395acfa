#include "avi/output_file.h"

#include <cstring>

#if !defined(_WIN32)
#include <sys/types.h>
#endif

namespace lumavex {
namespace {

// The plain fseek takes a long, which is 32 bits on Windows.
bool SeekTo(std::FILE* file, std::uint64_t offset) {
#if defined(_WIN32)
  return ::_fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return ::fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

OutputFile::OutputFile(std::size_t bufferSize) : buffer_(bufferSize > 0 ? bufferSize : 1) {}

bool OutputFile::Open(const std::string& path) {
  if (file_ != nullptr) return false;
  file_.reset(OpenFileUtf8(path, "wb"));
  if (file_ == nullptr) return Fail();
  // Our own buffer already gathers the small writes; a second one in the C
  // runtime would only copy every byte once more.
  std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  buffered_ = 0;
  position_ = 0;
  failed_ = false;
  return true;
}

bool OutputFile::Fail() {
  failed_ = true;
  return false;
}

bool OutputFile::Flush() {
  if (buffered_ == 0) return true;
  const std::size_t count = buffered_;
  buffered_ = 0;
  return std::fwrite(buffer_.data(), 1, count, file_.get()) == count || Fail();
}

bool OutputFile::Write(const void* data, std::size_t size) {
  if (failed_ || file_ == nullptr) return false;
  if (size <= buffer_.size() - buffered_) {
    if (size > 0) std::memcpy(buffer_.data() + buffered_, data, size);
    buffered_ += size;
  } else {
    if (!Flush()) return false;
    if (size >= buffer_.size()) {
      if (std::fwrite(data, 1, size, file_.get()) != size) return Fail();
    } else {
      std::memcpy(buffer_.data(), data, size);
      buffered_ = size;
    }
  }
  position_ += size;
  return true;
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (failed_ || file_ == nullptr) return false;
  if (offset > position_ || size > position_ - offset) return Fail();
  const std::uint64_t flushedEnd = position_ - buffered_;
  if (offset >= flushedEnd) {
    // Still in the buffer: no seek needed.
    std::memcpy(buffer_.data() + (offset - flushedEnd), data, size);
    return true;
  }
  if (!Flush()) return false;
  if (!SeekTo(file_.get(), offset) || std::fwrite(data, 1, size, file_.get()) != size ||
      !SeekTo(file_.get(), position_)) {
    return Fail();
  }
  return true;
}

bool OutputFile::Close() {
  if (file_ == nullptr) return false;
  const bool flushed = !failed_ && Flush() && std::fflush(file_.get()) == 0 && std::ferror(file_.get()) == 0;
  const bool closed = std::fclose(file_.release()) == 0;
  if (!flushed || !closed) return Fail();
  return true;
}

}  // namespace lumavex
