// Feeds arbitrary files to the BMP reader. A rejected file must leave the
// bitmap loaded before it untouched; an accepted one must give buffers that
// match the file and survive a write and read back.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imaging/cdib.h"

namespace {

using lumavex::cDib;
using Bytes = std::vector<std::uint8_t>;

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

// One name per process, reused for every input.
std::string TempPath(const char* role) {
  const auto dir = std::filesystem::temp_directory_path();
  return (dir / ("lumavex_fuzz_cdib_" + std::to_string(::getpid()) + "_" + role + ".bmp")).string();
}

bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

std::uint32_t Get32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A 5 x 3, 24-bit bitmap that every input starts from.
const cDib& Baseline() {
  static const cDib baseline = [] {
    Bytes file(54 + 16 * 3);  // rows of 15 bytes padded to 16
    auto put32 = [&file](std::size_t at, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<std::uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, 5);
    put32(22, 3);
    file[26] = 1;
    file[28] = 24;
    put32(34, 16 * 3);
    for (std::size_t i = 54; i < file.size(); ++i) file[i] = static_cast<std::uint8_t>(i * 13);
    const std::string path = TempPath("baseline");
    cDib dib;
    FUZZ_CHECK(WriteFile(path, file.data(), file.size()));
    FUZZ_CHECK(dib.CreateFromFile(path));
    std::remove(path.c_str());
    return dib;
  }();
  return baseline;
}

struct Snapshot {
  std::vector<std::int32_t> info;        // from the info header
  std::vector<std::int32_t> fileHeader;  // from the file header
  Bytes bitmapInfo;
  Bytes pixels;
};

Snapshot Take(const cDib& dib) {
  Snapshot s;
  s.info = {dib.BitCount(),       dib.Height(),    dib.Width(),  dib.Compression(),
            dib.SizeInfoHeader(), dib.SizeImage(), dib.Planes(), dib.ClrImportant(),
            dib.ClrUsed(),        dib.XPPM(),      dib.YPPM()};
  s.fileHeader = {dib.FileType(), dib.SizeFileHeader(), dib.BitOffset()};
  FUZZ_CHECK(dib.SizeBitmapInfo() >= 0 && dib.SizeImage() >= 0);
  if (dib.PointerToBitmapInfo() != nullptr)
    s.bitmapInfo.assign(dib.PointerToBitmapInfo(), dib.PointerToBitmapInfo() + dib.SizeBitmapInfo());
  if (dib.PointerToBits() != nullptr)
    s.pixels.assign(dib.PointerToBits(), dib.PointerToBits() + dib.SizeImage());
  return s;
}

void CheckUnchanged(const Snapshot& before, const Snapshot& after, bool fileHeaderToo) {
  FUZZ_CHECK(before.info == after.info);
  FUZZ_CHECK(before.bitmapInfo == after.bitmapInfo);
  FUZZ_CHECK(before.pixels == after.pixels);
  if (fileHeaderToo) FUZZ_CHECK(before.fileHeader == after.fileHeader);
}

void CheckAccepted(const cDib& dib, const std::uint8_t* data, std::size_t size, const std::string& output) {
  const std::size_t offset = static_cast<std::size_t>(dib.BitOffset());
  const std::size_t image = static_cast<std::size_t>(dib.SizeImage());
  const std::size_t info = static_cast<std::size_t>(dib.SizeBitmapInfo());
  FUZZ_CHECK(size >= 54 && data[0] == 'B' && data[1] == 'M');
  FUZZ_CHECK(dib.BitOffset() > 14 && info == offset - 14);
  FUZZ_CHECK(image > 0 && offset + image <= size);
  FUZZ_CHECK(dib.PointerToBits() != nullptr && dib.PointerToBitmapInfo() != nullptr);
  FUZZ_CHECK(std::memcmp(dib.PointerToBits(), data + offset, image) == 0);
  // The info header's image size (bytes 20..23) is filled in when the file stated 0.
  const bool sizeFilledIn = Get32(data + 34) == 0;
  FUZZ_CHECK(sizeFilledIn || std::memcmp(dib.PointerToBitmapInfo(), data + 14, info) == 0);
  FUZZ_CHECK(info >= 40 && Get32(dib.PointerToBitmapInfo() + 20) == static_cast<std::uint32_t>(image));

  FUZZ_CHECK(dib.WriteToFile(output));
  cDib reread;
  FUZZ_CHECK(reread.CreateFromFile(output));
  const Snapshot written = Take(dib);
  const Snapshot back = Take(reread);
  CheckUnchanged(written, back, true);
}

// The two scratch files, removed when the run ends.
struct ScratchFiles {
  std::string input = TempPath("in");
  std::string output = TempPath("out");
  ~ScratchFiles() {
    std::remove(input.c_str());
    std::remove(output.c_str());
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const ScratchFiles scratch;
  const std::string& input = scratch.input;
  const std::string& output = scratch.output;
  if (!WriteFile(input, data, size)) return 0;

  cDib dib = Baseline();
  const Snapshot before = Take(dib);
  if (dib.CreateFromFile(input)) {
    CheckAccepted(dib, data, size, output);
  } else {
    // Only a file without the signature may change the file header.
    const bool signed_bm = size >= 2 && data[0] == 'B' && data[1] == 'M';
    CheckUnchanged(before, Take(dib), signed_bm);
  }

  // The same bytes as a packed bitmap, within the bounds the caller states.
  cDib packed = Baseline();
  if (packed.CreateFromPackedDIBPointer(data, size)) {
    FUZZ_CHECK(size >= 40 && static_cast<std::size_t>(packed.SizeImage()) <= size - 40);
    FUZZ_CHECK(packed.BitOffset() == 54 && packed.SizeBitmapInfo() == 40);
    FUZZ_CHECK(std::memcmp(packed.PointerToBits(), data + 40, packed.SizeImage()) == 0);
  } else {
    CheckUnchanged(before, Take(packed), true);
  }
  return 0;
}
