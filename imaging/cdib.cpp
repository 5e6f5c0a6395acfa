#include "imaging/cdib.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "imaging/bmp_writer.h"
#include "base/message.h"
#include "base/file.h"

namespace lumavex {
namespace {

using FilePtr = UniqueStdFile;

constexpr std::uint32_t kRgb = 0;             // BI_RGB
constexpr std::uint32_t kBitFields = 3;       // BI_BITFIELDS
constexpr std::size_t kSizeImageOffset = 20;  // of the image size inside the info header
constexpr std::uint64_t kMaxSigned32 = static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max());

std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t GetSigned32(const std::uint8_t* p) { return static_cast<std::int32_t>(Get32(p)); }

bool ReadAt(std::FILE* file, std::uint64_t position, std::vector<std::uint8_t>& into) {
  return SeekFile(file, position) && std::fread(into.data(), 1, into.size(), file) == into.size();
}

// Bytes of uncompressed pixel data, rows padded to 4 bytes; 0 when the
// dimensions give none or more than a signed 32-bit size can state.
std::uint64_t UncompressedImageBytes(std::int32_t width, std::int32_t height, std::uint16_t bitCount) {
  if (width <= 0 || height == 0 || bitCount == 0) return 0;
  const std::uint64_t rowBits = static_cast<std::uint64_t>(width) * bitCount;  // < 2^47
  const std::uint64_t rowBytes = (rowBits + 31) / 32 * 4;
  const std::uint64_t rows = height < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(height))
                                        : static_cast<std::uint64_t>(height);
  if (rowBytes > kMaxSigned32 / rows) return 0;
  return rowBytes * rows;
}

}  // namespace

bool cDib::CreateFromFile(const std::string& filename) {
  if (!FileExistsUtf8(filename)) {
    Report("File does not exist:\r\n" + filename, MessageIcon::Error);
    return false;
  }
  errno = 0;
  FilePtr file(OpenFileUtf8(filename, "rb"));
  if (!file) {
    const int error = errno != 0 ? errno : EIO;
    if (error == EACCES)
      Report("File is locked - cannot access:\r\n" + filename, MessageIcon::Error);
    else
      Report(std::strerror(error), MessageIcon::Information);
    return false;
  }

  const std::optional<std::uint64_t> length = FileLength(file.get());
  if (!length) return RejectUnsupported(filename);
  const std::uint64_t fileSize = *length;

  std::uint8_t headers[kFileHeaderBytes + kInfoHeaderBytes] = {};
  const std::size_t got = std::fread(headers, 1, sizeof headers, file.get());
  if (got < 2 || headers[0] != 'B' || headers[1] != 'M') {
    // The one change a rejected file makes: the header it failed with.
    file_ = ParseFileHeader(headers);
    return RejectUnsupported(filename);
  }
  // From here every check works on local copies, so a rejected file leaves
  // the previous bitmap whole.
  if (got < sizeof headers) return RejectUnsupported(filename);
  const FileHeader fileHeader = ParseFileHeader(headers);
  InfoHeader infoHeader = ParseInfoHeader(headers + kFileHeaderBytes);

  if (fileHeader.bitOffset <= kFileHeaderBytes || fileHeader.bitOffset > fileSize)
    return RejectUnsupported(filename);
  // The info header is taken as 40 bytes, so a smaller one (or one that
  // runs into the pixel data) would have its fields misread.
  const std::uint64_t infoBytes = fileHeader.bitOffset - kFileHeaderBytes;
  if (infoHeader.size < kInfoHeaderBytes || infoHeader.size > infoBytes) return RejectUnsupported(filename);

  std::uint64_t pixelBytes = infoHeader.sizeImage;
  const bool sizeComputed = infoHeader.sizeImage == 0;
  if (pixelBytes > kMaxSigned32) return RejectUnsupported(filename);
  if (sizeComputed) {
    // The format allows 0 for uncompressed data; anything else needs the size.
    if (infoHeader.compression != kRgb && infoHeader.compression != kBitFields)
      return RejectUnsupported(filename);
    pixelBytes = UncompressedImageBytes(infoHeader.width, infoHeader.height, infoHeader.bitCount);
    if (pixelBytes == 0) return RejectUnsupported(filename);
  }
  // Pixel data must lie within the file; this also bounds every allocation.
  if (pixelBytes > fileSize - fileHeader.bitOffset) return RejectUnsupported(filename);

  std::vector<std::uint8_t> bitmapInfo;
  std::vector<std::uint8_t> pixels;
  try {
    bitmapInfo.resize(static_cast<std::size_t>(infoBytes));
    pixels.resize(static_cast<std::size_t>(pixelBytes));
  } catch (const std::bad_alloc&) {
    return RejectUnsupported(filename);
  }
  if (!ReadAt(file.get(), kFileHeaderBytes, bitmapInfo) || !ReadAt(file.get(), fileHeader.bitOffset, pixels))
    return RejectUnsupported(filename);
  file.reset();

  if (sizeComputed) {
    // Keep the header's image size equal to the buffer it describes.
    infoHeader.sizeImage = static_cast<std::uint32_t>(pixelBytes);
    PutLe32(bitmapInfo.data() + kSizeImageOffset, infoHeader.sizeImage);
  }
  file_ = fileHeader;
  info_ = infoHeader;
  bitmapInfo_.swap(bitmapInfo);
  pixels_.swap(pixels);
  return true;
}

bool cDib::CreateFromPackedDIBPointer(const void* pDIB) {
  if (pDIB == nullptr) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(pDIB);
  return AdoptPackedDib(bytes, ParseInfoHeader(bytes));
}

bool cDib::CreateFromPackedDIBPointer(const void* pDIB, std::size_t size) {
  if (pDIB == nullptr || size < kInfoHeaderBytes) return false;
  const auto* bytes = static_cast<const std::uint8_t*>(pDIB);
  const InfoHeader header = ParseInfoHeader(bytes);
  if (header.sizeImage > size - kInfoHeaderBytes) return false;
  return AdoptPackedDib(bytes, header);
}

bool cDib::AdoptPackedDib(const std::uint8_t* bytes, const InfoHeader& header) {
  if (static_cast<std::int16_t>(header.bitCount) < 16 || static_cast<std::int32_t>(header.sizeImage) < 1)
    return false;
  std::vector<std::uint8_t> bitmapInfo;
  std::vector<std::uint8_t> pixels;
  try {
    bitmapInfo.assign(bytes, bytes + kInfoHeaderBytes);
    pixels.assign(bytes + kInfoHeaderBytes, bytes + kInfoHeaderBytes + header.sizeImage);
  } catch (const std::bad_alloc&) {
    return false;
  }
  info_ = header;
  bitmapInfo_.swap(bitmapInfo);
  pixels_.swap(pixels);
  file_ = FileHeader{};
  file_.type = 0x4D42;
  file_.size = static_cast<std::uint32_t>(kFileHeaderBytes + kInfoHeaderBytes) + header.sizeImage;
  file_.bitOffset = static_cast<std::uint32_t>(kFileHeaderBytes + kInfoHeaderBytes);
  return true;
}

bool cDib::WriteToFile(const std::string& filename) const {
  // "wb" truncates, so a longer old file leaves no stale bytes behind.
  FilePtr file(OpenFileUtf8(filename, "wb"));
  if (!file) return false;
  std::uint8_t header[kFileHeaderBytes];
  StoreBmpFileHeader(file_, header);
  bool ok = std::fwrite(header, 1, sizeof header, file.get()) == sizeof header;
  if (ok && !bitmapInfo_.empty())
    ok = std::fwrite(bitmapInfo_.data(), 1, bitmapInfo_.size(), file.get()) == bitmapInfo_.size();
  if (ok && !pixels_.empty())
    ok = std::fwrite(pixels_.data(), 1, pixels_.size(), file.get()) == pixels_.size();
  // Buffered data reaches the disk at close, so its result counts too.
  return std::fclose(file.release()) == 0 && ok;
}

cDib::FileHeader cDib::ParseFileHeader(const std::uint8_t* bytes) {
  FileHeader header;
  header.type = Get16(bytes);
  header.size = Get32(bytes + 2);
  header.reserved1 = Get16(bytes + 6);
  header.reserved2 = Get16(bytes + 8);
  header.bitOffset = Get32(bytes + 10);
  return header;
}

cDib::InfoHeader cDib::ParseInfoHeader(const std::uint8_t* bytes) {
  InfoHeader header;
  header.size = Get32(bytes);
  header.width = GetSigned32(bytes + 4);
  header.height = GetSigned32(bytes + 8);
  header.planes = Get16(bytes + 12);
  header.bitCount = Get16(bytes + 14);
  header.compression = Get32(bytes + 16);
  header.sizeImage = Get32(bytes + kSizeImageOffset);
  header.xppm = GetSigned32(bytes + 24);
  header.yppm = GetSigned32(bytes + 28);
  header.clrUsed = Get32(bytes + 32);
  header.clrImportant = Get32(bytes + 36);
  return header;
}

void cDib::Report(const std::string& text, MessageIcon icon) const {
  if (report_)
    report_(text, icon);
  else
    ShowMessage(text, icon);
}

bool cDib::RejectUnsupported(const std::string& filename) const {
  Report("File is not a supported bitmap format:\r\n" + filename, MessageIcon::Information);
  return false;
}

}  // namespace lumavex
