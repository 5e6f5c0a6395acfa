#pragma once
// Writing a buffer through an open file handle.
#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace lumavex {

// Writes `size` bytes at `offset` of `file` (opened for synchronous writes),
// in pieces of at most 1 GiB since WriteFile counts in 32 bits. False as soon
// as a piece is not written whole.
bool WriteFileAt(HANDLE file, std::uint64_t offset, const void* data, std::size_t size);

}  // namespace lumavex
