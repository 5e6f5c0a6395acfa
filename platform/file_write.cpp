#include "platform/file_write.h"

namespace lumavex {

bool WriteFileAt(HANDLE file, std::uint64_t offset, const void* data, std::size_t size) {
  const auto* p = static_cast<const char*>(data);
  std::size_t left = size;
  while (left > 0) {
    const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
    // Positioned: no separate seek, and the file pointer does not matter.
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    if (!::WriteFile(file, p, chunk, &written, &at) || written != chunk) return false;
    p += chunk;
    offset += chunk;
    left -= chunk;
  }
  return true;
}

}  // namespace lumavex
