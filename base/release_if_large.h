#pragma once
// Memory a large frame grew is given back after it, so that one such frame
// does not hold it for the rest of a conversion; buffers of ordinary frames
// keep theirs for the next one.
#include <cstddef>

namespace lumavex {

inline constexpr std::size_t kKeptBufferBytes = std::size_t{16} << 20;

// For any buffer with capacity() and swap(): a vector, an Image.
template <typename Buffer>
void ReleaseIfLarge(Buffer& buffer) {
  if (buffer.capacity() > kKeptBufferBytes) Buffer().swap(buffer);
}

}  // namespace lumavex
