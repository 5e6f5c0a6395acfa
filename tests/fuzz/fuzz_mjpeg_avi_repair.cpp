// Fuzzes the reading of a video a killed recording left, which may be cut
// anywhere or not be ours at all: the scan must stay inside the file and
// only count whole pictures, and whatever it reads as a video with frames
// must repair into a finished video of exactly those slots.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "avi/mjpeg_avi_repair.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz_mjpeg_avi_repair: %s\n", what);
  std::abort();
}

struct ClosedFile {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

lumavex::AviChunkScan ScanFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) Fail("cannot read back the file written");
  lumavex::AviChunkScan scan = lumavex::ScanMjpegAvi(file);
  std::fclose(file);
  return scan;
}

void CheckScan(const lumavex::AviChunkScan& scan, const std::uint8_t* data, std::size_t size) {
  if (!scan.problem.empty()) return;
  if (scan.rate == 0 || scan.scale == 0 || scan.width == 0 || scan.height == 0)
    Fail("a video without its rate or size");
  std::uint32_t pictures = 0;
  for (std::size_t i = 0; i < scan.slots.size(); ++i) {
    const auto& slot = scan.slots[i];
    if (slot.dataAt > size || slot.size > size - slot.dataAt) Fail("a slot outside the file");
    if (slot.size == 0) {
      if (i == 0) Fail("a held slot before any picture");
      continue;
    }
    const std::uint8_t* p = data + slot.dataAt;
    if (slot.size < 4 || p[0] != 0xFF || p[1] != 0xD8 || p[slot.size - 2] != 0xFF || p[slot.size - 1] != 0xD9)
      Fail("a picture that is not whole");
    ++pictures;
  }
  if (pictures != scan.frames) Fail("frames counted wrongly");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/tmp/fuzz_mjpeg_avi_repair_" + std::to_string(::getpid()) + ".avi";
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
      Fail("cannot write the input");
  }
  const lumavex::AviChunkScan scan = ScanFile(path);
  CheckScan(scan, data, size);

  const lumavex::AviRepair repair = lumavex::RepairMjpegAvi(path);
  if (scan.problem.empty() && scan.frames > 0 && !repair.ok) Fail("a video with frames was not repaired");
  if (repair.ok) {
    std::size_t kept = scan.slots.size();
    while (kept > 0 && scan.slots[kept - 1].size == 0) --kept;
    if (repair.frames != scan.frames || repair.slots != kept) Fail("the repair lost or added slots");
    const lumavex::AviChunkScan again = ScanFile(path);
    if (!again.problem.empty() || !again.finished) Fail("the repaired video is not a finished video");
    if (again.frames != scan.frames || again.slots.size() != kept || again.width != scan.width ||
        again.height != scan.height || again.rate != scan.rate || again.scale != scan.scale)
      Fail("the repaired video reads differently");
  }
  std::remove(path.c_str());
  std::remove((path + ".part").c_str());
  return 0;
}
