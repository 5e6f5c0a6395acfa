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
  // A frame that could not be read and was replaced by the frame before it
  // (or, before the first readable frame, by that one).
  void Replaced(const std::string& path);
  // A frame of another size, fitted into the video's size.
  void Fitted(const std::string& path);

  int replaced() const { return replaced_; }
  int fitted() const { return fitted_; }
  bool empty() const { return replaced_ == 0 && fitted_ == 0; }

  // One paragraph per kind of change, each followed by the path of its first
  // file; empty when nothing was changed.
  std::string Text(int width, int height) const;

 private:
  int replaced_ = 0;
  int fitted_ = 0;
  std::string firstReplaced_;
  std::string firstFitted_;
};

// "512 bytes", "20 KB", "3.4 MB", "2.1 GB" (1 KB = 1024 bytes).
std::string ByteCount(std::uint64_t bytes);

// A whole number with thousands separated by commas: "30,000".
std::string Grouped(std::uint64_t n);

// The one message after a video that could not be written completely (a
// full disk, a vanished volume): the path, the free space where known, and
// that the broken file is gone.
std::string WriteFailureText(const std::string& path, std::optional<std::uint64_t> freeBytes);

// The video would not fit on its volume; nothing was written.
std::string NoRoomText(const std::string& path, std::uint64_t needed, std::uint64_t freeBytes);

// An uncompressed video would pass the size an AVI 1.0 file can hold.
std::string TooLargeText(const std::string& path, std::uint64_t needed, std::uint64_t limit);

// A compressed video was ended before the size limit; it plays as far as it goes.
std::string CutShortText(const std::string& path, std::uint64_t limit, std::uint32_t written,
                         std::uint32_t listed);

}  // namespace lumavex
