#pragma once
// One bitmap as a BMP file stores it: file header, bitmap information (info
// header plus whatever follows it up to the pixel data) and raw pixel data.
// Bytes are moved, never interpreted, so the buffers can go straight to the
// AVI stream.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/message.h"
#include "imaging/bmp_writer.h"

namespace lumavex {

class cDib {
 public:
  // Where the reader's messages go: the program's message boxes, unless its
  // owner sends them elsewhere (a conversion sends them to its view).
  void ReportTo(MessageHandler report) { report_ = std::move(report); }

  // Reads a BMP file; why it failed is reported (see ReportTo). Taken are
  // files whose info header has at least 40 bytes and ends before the pixel
  // data, and whose pixel data (image size, or for uncompressed data stated
  // as 0 the size its dimensions give) lies within the file. On False every
  // member keeps the previous bitmap, except that a file without the "BM"
  // signature leaves its first 14 bytes in the file header.
  bool CreateFromFile(const std::string& filename);

  // Takes a packed bitmap: a 40-byte info header directly followed by the
  // pixel data. The one-argument form trusts the caller that the memory is
  // that large; the sized form checks it against `size`.
  bool CreateFromPackedDIBPointer(const void* pDIB);
  bool CreateFromPackedDIBPointer(const void* pDIB, std::size_t size);

  // Writes file header, bitmap information and pixel data to a new or
  // truncated file. False when the file cannot be opened or written.
  bool WriteToFile(const std::string& filename) const;

  std::int32_t BitCount() const { return static_cast<std::int16_t>(info_.bitCount); }
  std::int32_t Height() const { return info_.height; }
  std::int32_t Width() const { return info_.width; }
  std::int32_t Compression() const { return static_cast<std::int32_t>(info_.compression); }
  std::int32_t SizeInfoHeader() const { return static_cast<std::int32_t>(info_.size); }
  std::int32_t SizeImage() const { return static_cast<std::int32_t>(info_.sizeImage); }
  std::int32_t Planes() const { return static_cast<std::int16_t>(info_.planes); }
  std::int32_t ClrImportant() const { return static_cast<std::int32_t>(info_.clrImportant); }
  std::int32_t ClrUsed() const { return static_cast<std::int32_t>(info_.clrUsed); }
  std::int32_t XPPM() const { return info_.xppm; }
  std::int32_t YPPM() const { return info_.yppm; }
  std::int32_t FileType() const { return static_cast<std::int16_t>(file_.type); }
  std::int32_t SizeFileHeader() const { return static_cast<std::int32_t>(file_.size); }
  std::int32_t BitOffset() const { return static_cast<std::int32_t>(file_.bitOffset); }

  // The buffers themselves (null before the first load); valid until the
  // next load or the end of the object.
  const std::uint8_t* PointerToBits() const { return pixels_.empty() ? nullptr : pixels_.data(); }
  std::uint8_t* PointerToBits() { return pixels_.empty() ? nullptr : pixels_.data(); }
  const std::uint8_t* PointerToBitmapInfo() const {
    return bitmapInfo_.empty() ? nullptr : bitmapInfo_.data();
  }
  std::uint8_t* PointerToBitmapInfo() { return bitmapInfo_.empty() ? nullptr : bitmapInfo_.data(); }
  std::int32_t SizeBitmapInfo() const { return static_cast<std::int32_t>(bitmapInfo_.size()); }

  static constexpr std::size_t kFileHeaderBytes = 14;
  static constexpr std::size_t kInfoHeaderBytes = 40;

 private:
  using FileHeader = BmpFileHeader;
  struct InfoHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xppm = 0;
    std::int32_t yppm = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
  };

  static FileHeader ParseFileHeader(const std::uint8_t* bytes);
  static InfoHeader ParseInfoHeader(const std::uint8_t* bytes);

  bool AdoptPackedDib(const std::uint8_t* bytes, const InfoHeader& header);
  bool RejectUnsupported(const std::string& filename) const;
  void Report(const std::string& text, MessageIcon icon) const;

  FileHeader file_;
  InfoHeader info_;
  std::vector<std::uint8_t> bitmapInfo_;
  std::vector<std::uint8_t> pixels_;
  MessageHandler report_;  // none: the program's message boxes
};

}  // namespace lumavex
