#pragma once
// The growable byte buffer that encoded data is written into. The entropy
// coder writes through a raw cursor for speed and asks for room once per MCU.
// Optionally the buffer hands its contents to a sink (the file) once it holds
// more than a threshold, so very large pictures need not be held in memory.
#include <cstddef>
#include <cstdlib>
#include <memory>

namespace lumavex::jpeg {

class JpegOutputBuffer {
 public:
  // Receives the bytes written so far; returns false when they could not be
  // taken (the buffer then fails too).
  using Sink = bool (*)(void* context, const unsigned char* data, std::size_t size);

  explicit JpegOutputBuffer(std::size_t initialCapacity = 0);
  JpegOutputBuffer(const JpegOutputBuffer&) = delete;
  JpegOutputBuffer& operator=(const JpegOutputBuffer&) = delete;

  // Passes the contents to `sink` whenever more than `threshold` bytes are
  // buffered and more room is needed.
  void SetSink(Sink sink, void* context, std::size_t threshold);

  enum class Failure { None, OutOfMemory, SinkRefused };

  // Makes room for `count` more bytes at cursor(). False when memory ran out
  // or the sink failed; the buffer then stays failed until Clear().
  bool Reserve(std::size_t count) {
    if (static_cast<std::size_t>(end_ - cursor_) >= count) return true;
    return ReserveSlow(count);
  }

  unsigned char* cursor() const { return cursor_; }
  // After writing through cursor(), moves it to `position` (within the room
  // reserved).
  void SetCursor(unsigned char* position) { cursor_ = position; }

  // Appends bytes (reserving room for them).
  bool Append(const void* data, std::size_t size);

  // Hands whatever is buffered to the sink, if one is set.
  bool DrainToSink();

  const unsigned char* data() const { return storage_.get(); }
  std::size_t size() const { return static_cast<std::size_t>(cursor_ - storage_.get()); }
  bool failed() const { return failure_ != Failure::None; }
  Failure failure() const { return failure_; }

  // Empties the buffer but keeps its memory, and clears a failure.
  void Clear();

 private:
  struct FreeDeleter {
    void operator()(unsigned char* p) const { std::free(p); }
  };

  bool ReserveSlow(std::size_t count);

  std::unique_ptr<unsigned char, FreeDeleter> storage_;
  unsigned char* cursor_ = nullptr;
  unsigned char* end_ = nullptr;
  Sink sink_ = nullptr;
  void* sinkContext_ = nullptr;
  std::size_t sinkThreshold_ = 0;
  Failure failure_ = Failure::None;
};

}  // namespace lumavex::jpeg
