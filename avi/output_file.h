#pragma once
// Bytes written front to back through one large buffer into a stream that
// the caller opened and owns (the AVI writer never decides where its file
// goes or when it is put in place), with 64-bit positions and the odd patch
// of bytes already written (headers whose sizes are known only at the end).
//
// Every failure (short write, seek, flush) is sticky: once one happened,
// every later call returns false.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace lumavex {

class OutputFile {
 public:
  // `stream` must be freshly opened for writing; its own buffering is turned
  // off, as this buffer already gathers the small writes. A null stream
  // makes an output that has failed.
  explicit OutputFile(std::FILE* stream, std::size_t bufferSize = std::size_t{1} << 20);
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool Write(const void* data, std::size_t size);
  // Overwrites `size` bytes at `offset`, which must lie within what was
  // written; later writes go on at the end.
  bool WriteAt(std::uint64_t offset, const void* data, std::size_t size);
  // Hands everything buffered to the stream and flushes it.
  bool Flush();

  bool Failed() const { return failed_; }
  // Bytes written so far, i.e. the offset of the next Write().
  std::uint64_t Position() const { return position_; }

 private:
  bool Drain();
  bool Fail();

  std::FILE* stream_;
  std::vector<std::uint8_t> buffer_;
  std::size_t buffered_ = 0;
  std::uint64_t position_ = 0;
  bool failed_ = false;
};

}  // namespace lumavex
