#include "imaging/jpeg/jpeg_output_buffer.h"

#include <cstring>
#include <limits>

namespace lumavex::jpeg {

JpegOutputBuffer::JpegOutputBuffer(std::size_t initialCapacity) {
  if (initialCapacity > 0) ReserveSlow(initialCapacity);
}

void JpegOutputBuffer::SetSink(Sink sink, void* context, std::size_t threshold) {
  sink_ = sink;
  sinkContext_ = context;
  sinkThreshold_ = threshold;
}

bool JpegOutputBuffer::ReserveSlow(std::size_t count) {
  if (failed()) return false;
  const std::size_t used = size();
  if (sink_ != nullptr && used > sinkThreshold_) {
    if (!DrainToSink()) return false;
    if (static_cast<std::size_t>(end_ - cursor_) >= count) return true;
  }
  const std::size_t capacity = static_cast<std::size_t>(end_ - storage_.get());
  const std::size_t needed = size() + count;
  if (needed < count) {  // overflow
    failure_ = Failure::OutOfMemory;
    return false;
  }
  std::size_t grown = capacity < 4096 ? 4096 : capacity;
  while (grown < needed) {
    if (grown > std::numeric_limits<std::size_t>::max() / 2) {
      grown = needed;
      break;
    }
    grown *= 2;
  }
  const std::size_t keep = size();
  auto* moved = static_cast<unsigned char*>(std::realloc(storage_.get(), grown));
  if (moved == nullptr) {
    failure_ = Failure::OutOfMemory;
    return false;
  }
  storage_.release();
  storage_.reset(moved);
  cursor_ = moved + keep;
  end_ = moved + grown;
  return true;
}

bool JpegOutputBuffer::Append(const void* data, std::size_t size) {
  if (!Reserve(size)) return false;
  if (size > 0) std::memcpy(cursor_, data, size);
  cursor_ += size;
  return true;
}

bool JpegOutputBuffer::DrainToSink() {
  if (failed()) return false;
  if (sink_ == nullptr || size() == 0) return true;
  if (!sink_(sinkContext_, storage_.get(), size())) {
    failure_ = Failure::SinkRefused;
    return false;
  }
  cursor_ = storage_.get();
  return true;
}

void JpegOutputBuffer::Clear() {
  cursor_ = storage_.get();
  failure_ = Failure::None;
}

}  // namespace lumavex::jpeg
