#include "avi/output_file.h"

#include <cstring>

#include "base/file.h"

namespace lumavex {

OutputFile::OutputFile(std::FILE* stream, std::size_t bufferSize)
    : stream_(stream), buffer_(bufferSize > 0 ? bufferSize : 1), failed_(stream == nullptr) {
  // A second buffer in the C runtime would only copy every byte once more.
  if (stream_ != nullptr) std::setvbuf(stream_, nullptr, _IONBF, 0);
}

bool OutputFile::Fail() {
  failed_ = true;
  return false;
}

bool OutputFile::Drain() {
  if (buffered_ == 0) return true;
  const std::size_t count = buffered_;
  buffered_ = 0;
  return std::fwrite(buffer_.data(), 1, count, stream_) == count || Fail();
}

bool OutputFile::Write(const void* data, std::size_t size) {
  if (failed_) return false;
  if (size <= buffer_.size() - buffered_) {
    if (size > 0) std::memcpy(buffer_.data() + buffered_, data, size);
    buffered_ += size;
  } else {
    if (!Drain()) return false;
    if (size >= buffer_.size()) {
      if (std::fwrite(data, 1, size, stream_) != size) return Fail();
    } else {
      std::memcpy(buffer_.data(), data, size);
      buffered_ = size;
    }
  }
  position_ += size;
  return true;
}

bool OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size) {
  if (failed_) return false;
  if (offset > position_ || size > position_ - offset) return Fail();
  const std::uint64_t drainedEnd = position_ - buffered_;
  if (offset >= drainedEnd) {
    // Still in the buffer: no seek needed.
    std::memcpy(buffer_.data() + (offset - drainedEnd), data, size);
    return true;
  }
  if (!Drain()) return false;
  if (!SeekFile(stream_, offset) || std::fwrite(data, 1, size, stream_) != size ||
      !SeekFile(stream_, position_)) {
    return Fail();
  }
  return true;
}

bool OutputFile::Flush() {
  if (failed_) return false;
  return (Drain() && std::fflush(stream_) == 0 && std::ferror(stream_) == 0) || Fail();
}

}  // namespace lumavex
