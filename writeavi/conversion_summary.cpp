#include "writeavi/conversion_summary.h"

#include <cstdio>

namespace lumavex {
namespace {

std::string Frames(int n) { return Grouped(static_cast<std::uint64_t>(n)) + (n == 1 ? " frame" : " frames"); }

}  // namespace

void ConversionSummary::Replaced(const std::string& path) {
  if (replaced_++ == 0) firstReplaced_ = path;
}

void ConversionSummary::ReplacedByFirst(const std::string& path, const std::string& first) {
  if (replacedByFirst_++ == 0) firstReplacedByFirst_ = path;
  usedInstead_ = first;
}

void ConversionSummary::Fitted(const std::string& path) {
  if (fitted_++ == 0) firstFitted_ = path;
}

void ConversionSummary::EncodedAgain(const std::string& path) {
  if (encodedAgain_++ == 0) firstEncodedAgain_ = path;
}

std::string ConversionSummary::Text(int width, int height) const {
  std::string text;
  const auto paragraph = [&text]() -> std::string& {
    if (!text.empty()) text += "\r\n\r\n";
    return text;
  };
  if (replacedByFirst_ > 0) {
    paragraph() +=
        Frames(replacedByFirst_) +
        (replacedByFirst_ == 1 ? " before the first readable one could not be read and was replaced by it:"
                               : " before the first readable one could not be read and were replaced by "
                                 "it:") +
        "\r\n" + firstReplacedByFirst_ + "\r\nUsed instead: " + usedInstead_;
  }
  if (replaced_ > 0) {
    paragraph();
    text += Frames(replaced_) + (replaced_ == 1
                                     ? " could not be read and was replaced by the frame before it."
                                     : " could not be read and were replaced by the frame before them.");
    text += "\r\n" + firstReplaced_;
  }
  if (fitted_ > 0) {
    paragraph() += Frames(fitted_) + " of another size " + (fitted_ == 1 ? "was" : "were") + " fitted into " +
                   std::to_string(width) + "x" + std::to_string(height) + ".";
    text += "\r\n" + firstFitted_;
  }
  if (encodedAgain_ > 0) {
    paragraph() += Frames(encodedAgain_) + " of a JPEG kind that not every player reads " +
                   (encodedAgain_ == 1 ? "was" : "were") + " encoded again.\r\n" + firstEncodedAgain_;
  }
  return text;
}

std::string ByteCount(std::uint64_t bytes) {
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  if (bytes < 1024) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 3) {
    value /= 1024;
    ++unit;
  }
  // Two significant decimals below 10, one below 100, trailing zeros dropped:
  // "2 GB", "2.02 GB", "12.5 MB", "340 KB".
  char number[32];
  std::snprintf(number, sizeof number, value < 10 ? "%.2f" : value < 100 ? "%.1f" : "%.0f", value);
  std::string text = number;
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text + " " + kUnits[unit];
}

std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}

std::string WriteFailureText(const std::string& path, std::optional<std::uint64_t> freeBytes) {
  std::string text = "There was an error writing the file.\r\n" + path;
  if (freeBytes) text += "\r\nFree space on its volume: " + ByteCount(*freeBytes) + ".";
  return text + "\r\nThe incomplete file was removed.";
}

std::string NoRoomText(const std::string& path, std::uint64_t needed, std::uint64_t freeBytes,
                       const std::string& volume) {
  return "The video would take " + ByteCount(needed) + ", but the volume " + volume + " has only " +
         ByteCount(freeBytes) + " free:\r\n" + path + "\r\nNothing was written.";
}

std::string TooLargeText(const std::string& path, std::uint64_t needed, std::uint64_t limit) {
  return "The uncompressed video would take " + ByteCount(needed) + ", more than the " + ByteCount(limit) +
         " an AVI file of this kind can hold:\r\n" + path +
         "\r\nNothing was written. Choose a compressor, or the Motion JPEG AVI type.";
}

std::string CutShortText(const std::string& path, std::uint64_t limit, std::uint32_t written,
                         std::uint32_t listed) {
  return "The video reached the " + ByteCount(limit) +
         " an AVI file of this kind can hold and was ended there: " + "it holds " + Grouped(written) +
         " of the " + Grouped(listed) + " frames.\r\n" + path;
}

}  // namespace lumavex
