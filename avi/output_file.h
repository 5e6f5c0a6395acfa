#pragma once
// A file written front to back through one large buffer, with 64-bit
// positions and the odd patch of bytes already written (headers whose sizes
// are known only at the end). Portable: std::FILE on a UTF-8 path.
//
// Every failure (open, short write, seek, flush, close) is sticky: once one
// happened, every later call returns false and Close() reports it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/utf8_file.h"

namespace lumavex {

class OutputFile {
 public:
  explicit OutputFile(std::size_t bufferSize = std::size_t{1} << 20);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates or truncates the file.
  bool Open(const std::string& path);
  bool Write(const void* data, std::size_t size);
  // Overwrites `size` bytes at `offset`, which must lie within what was
  // written; later writes go on at the end.
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
  // Flushes and closes; true only when every byte reached the file.
  bool Close();

  bool IsOpen() const { return file_ != nullptr; }
  bool Failed() const { return failed_; }
  // Bytes written so far, i.e. the offset of the next Write().
  std::uint64_t Position() const { return position_; }

 private:
  bool Flush();
  bool Fail();

  UniqueStdFile file_;
  std::vector<std::uint8_t> buffer_;
  std::size_t buffered_ = 0;
  std::uint64_t position_ = 0;
  bool failed_ = false;
};

}  // namespace lumavex
