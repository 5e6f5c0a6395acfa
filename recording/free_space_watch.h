#pragma once
// When a recording must ask its volume for the free space again. Asking
// costs a system call per frame; the reserve only needs an answer when the
// bytes written since the last one could have reached it, and now and then
// for what other programs write to the same volume. Clock and answers are
// the caller's.
#include <cstdint>
#include <optional>

namespace lumavex {

// Recording stops while this much is still free, before the disk is full for
// every other program as well.
inline constexpr std::uint64_t kDiskReserveBytes = 64ull << 20;
// Other programs may fill the volume between answers; this bounds how long
// an answer is trusted.
inline constexpr std::int64_t kFreeSpaceTrustMs = 10'000;
// Headroom kept between the estimate and the reserve, at least: a frame may
// be larger than the ones before it.
inline constexpr std::uint64_t kFreeSpaceHeadroomBytes = 1ull << 20;

class FreeSpaceWatch {
 public:
  // Forgets every answer: the next frame asks.
  void Forget() { *this = FreeSpaceWatch(); }
  // True when the volume must be asked before the next frame is written.
  bool Due(std::int64_t nowMs) const;
  // The volume's answer, or nothing when it could not be asked (a vanished
  // folder): then it is asked again before the next frame.
  void Answer(std::optional<std::uint64_t> freeBytes, std::int64_t nowMs);
  // A frame's files were written.
  void Written(std::uint64_t bytes);
  // The last answer was below kDiskReserveBytes.
  bool BelowReserve() const { return known_ && free_ < kDiskReserveBytes; }
  // What is free now by the last answer and the bytes written since.
  std::optional<std::uint64_t> Estimate() const {
    if (!known_) return std::nullopt;
    return free_ > writtenSince_ ? free_ - writtenSince_ : 0;
  }

 private:
  bool asked_ = false;
  bool known_ = false;
  std::uint64_t free_ = 0;
  std::int64_t askedAtMs_ = 0;
  std::uint64_t writtenSince_ = 0;
  std::uint64_t largestFrame_ = 0;
};

}  // namespace lumavex
