#pragma once
// The texts a conversion ends with: what it changed on its way (frames that
// could not be read, frames of another size), and why a video was refused,
// cut short or removed. Portable, so the wording is tested natively.
#include <cstdint>
#include <optional>
#include <string>

namespace lumavex {

class ConversionSummary {
 public:
  // A frame that could not be read and was replaced by the frame before it.
  void Replaced(const std::string& path);
  // A frame before the first readable one, `first`, which replaced it.
  void ReplacedByFirst(const std::string& path, const std::string& first);
  // A frame of another size, fitted into the video's size.
  void Fitted(const std::string& path);
  // A frame of a JPEG kind that not every Motion JPEG player reads
  // (progressive, arithmetic, lossless, CMYK, ...), decoded and encoded again.
  void EncodedAgain(const std::string& path);

  int replaced() const { return replaced_ + replacedByFirst_; }
  int fitted() const { return fitted_; }
  int encodedAgain() const { return encodedAgain_; }
  bool empty() const { return replaced() == 0 && fitted_ == 0 && encodedAgain_ == 0; }

  // One paragraph per kind of change, each followed by the path of its first
  // file; empty when nothing was changed.
  std::string Text(int width, int height) const;

 private:
  int replaced_ = 0;
  int replacedByFirst_ = 0;
  int fitted_ = 0;
  int encodedAgain_ = 0;
  std::string firstReplaced_;
  std::string firstReplacedByFirst_;
  std::string usedInstead_;
  std::string firstFitted_;
  std::string firstEncodedAgain_;
};

// "512 bytes", "20 KB", "3.4 MB", "2.1 GB" (1 KB = 1024 bytes).
std::string ByteCount(std::uint64_t bytes);

// A whole number with thousands separated by commas: "30,000".
std::string Grouped(std::uint64_t n);

// The one message after a video that could not be written completely (a
// full disk, a vanished volume): the path, the free space where known, and
// that the broken file is gone.
std::string WriteFailureText(const std::string& path, std::optional<std::uint64_t> freeBytes);

// The video would not fit; nothing was written. `volume` names the volume
// whose free space was measured (the one it is written on, which is not
// always the target's).
std::string NoRoomText(const std::string& path, std::uint64_t needed, std::uint64_t freeBytes,
                       const std::string& volume);

// An uncompressed video would pass the size an AVI 1.0 file can hold.
std::string TooLargeText(const std::string& path, std::uint64_t needed, std::uint64_t limit);

// A compressed video was ended before the size limit; it plays as far as it goes.
std::string CutShortText(const std::string& path, std::uint64_t limit, std::uint32_t written,
                         std::uint32_t listed);

}  // namespace lumavex
