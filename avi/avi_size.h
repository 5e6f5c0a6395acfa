#pragma once
// Sizes of an AVI 1.0 file as the platform's AVI services write it, for
// checking the free space and the format's 2 GB limit before and while a
// video is written. Portable.
#include <cstdint>

namespace lumavex {

// Past this size AVI 1.0 files are not read back reliably (32-bit offsets
// that many readers take as signed).
inline constexpr std::uint64_t kAvi1SizeLimit = std::uint64_t{1} << 31;

// Room the headers (with their padding) take at most.
inline constexpr std::uint64_t kAviHeaderAllowance = 64 * 1024;

// Per frame: its chunk header, a pad byte at most, its index entry.
inline constexpr std::uint64_t kAviFrameOverhead = 8 + 1 + 16;

// An upper bound of the file's size for `frames` frames of `frameBytes`
// each (known in advance for an uncompressed stream).
inline std::uint64_t UncompressedAviSize(std::uint64_t frames, std::uint64_t frameBytes) {
  return kAviHeaderAllowance + frames * (frameBytes + kAviFrameOverhead);
}

// True when one more frame of at most `nextFrameBytes`, after `frames`
// frames whose data took `written` bytes, could take the file past `limit`.
inline bool NextFramePassesLimit(std::uint64_t written, std::uint64_t frames, std::uint64_t nextFrameBytes,
                                 std::uint64_t limit) {
  return kAviHeaderAllowance + written + nextFrameBytes + (frames + 1) * kAviFrameOverhead > limit;
}

}  // namespace lumavex
