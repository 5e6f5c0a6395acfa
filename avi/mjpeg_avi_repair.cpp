#include "avi/mjpeg_avi_repair.h"

#include <cstring>
#include <optional>

#include "avi/mjpeg_avi_writer.h"
#include "avi/output_file.h"
#include "base/file.h"
#include "base/part_file.h"

namespace lumavex {
namespace {

// A header list larger than this is no header of ours.
constexpr std::uint32_t kLargestHeader = 64u << 20;

std::uint32_t U32(const std::uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
bool IsCode(const std::uint8_t* p, const char* code) { return std::memcmp(p, code, 4) == 0; }

class Reader {
 public:
  explicit Reader(std::FILE* file) : file_(file), length_(FileLength(file).value_or(0)) {}
  std::uint64_t Length() const { return length_; }
  bool Read(std::uint64_t at, void* into, std::size_t size) {
    return at + size <= length_ && SeekFile(file_, at) && std::fread(into, 1, size, file_) == size;
  }

 private:
  std::FILE* file_;
  std::uint64_t length_;
};

// The stream's format from the hdrl list's bytes; a problem when it is not
// one Motion JPEG video stream.
std::string ReadHeaderList(const std::vector<std::uint8_t>& hdrl, AviChunkScan& scan) {
  bool stream = false, format = false;
  // Chunks nest in lists; a list's type is skipped and its chunks walked.
  for (std::size_t at = 4; at + 8 <= hdrl.size();) {
    const std::uint8_t* p = hdrl.data() + at;
    const std::uint32_t size = U32(p + 4);
    if (IsCode(p, "LIST")) {
      at += 12;
      continue;
    }
    if (size > hdrl.size() - at - 8) break;
    const std::uint8_t* data = p + 8;
    if (IsCode(p, "strh") && size >= 32) {
      if (stream) return "more than one stream";
      if (!IsCode(data, "vids") || !IsCode(data + 4, "MJPG")) return "not a Motion JPEG video";
      scan.scale = U32(data + 20);
      scan.rate = U32(data + 24);
      stream = true;
    } else if (IsCode(p, "strf") && size >= 20 && stream && !format) {
      scan.width = U32(data + 4);
      scan.height = U32(data + 8);
      if (!IsCode(data + 16, "MJPG")) return "not a Motion JPEG video";
      format = true;
    } else if (IsCode(p, "dmlh") && size >= 4) {
      scan.headerSlots = U32(data);
    }
    at += 8 + size + (size & 1);
  }
  if (!stream || !format) return "no Motion JPEG video stream";
  if (scan.rate == 0 || scan.scale == 0 || scan.width == 0 || scan.height == 0 || scan.width > 0xFFFF ||
      scan.height > 0xFFFF)
    return "its video header is damaged";
  return {};
}

// A picture chunk is whole when its data is a JPEG from its start marker
// to its end marker (a file cut or never written to the end is not).
bool WholePicture(Reader& in, std::uint64_t at, std::uint32_t size) {
  std::uint8_t first[2], last[2];
  return size >= 4 && in.Read(at, first, 2) && in.Read(at + size - 2, last, 2) && first[0] == 0xFF &&
         first[1] == 0xD8 && last[0] == 0xFF && last[1] == 0xD9;
}

}  // namespace

AviChunkScan ScanMjpegAvi(std::FILE* file) {
  AviChunkScan scan;
  Reader in(file);
  std::uint8_t head[12];
  if (!in.Read(0, head, 12) || !IsCode(head, "RIFF") || !IsCode(head + 8, "AVI ")) {
    scan.problem = "not an AVI file";
    return scan;
  }
  bool header = false, legacyIndex = false;
  std::uint64_t at = 12;
  // Before the movi list: the headers, and whatever else lies there.
  for (;;) {
    std::uint8_t chunk[12];
    if (!in.Read(at, chunk, 12)) {
      scan.problem = header ? "no movi list" : "no AVI header";
      return scan;
    }
    const std::uint32_t size = U32(chunk + 4);
    if (IsCode(chunk, "LIST") && IsCode(chunk + 8, "movi")) {
      at += 12;
      break;
    }
    if (IsCode(chunk, "LIST") && IsCode(chunk + 8, "hdrl")) {
      if (size > kLargestHeader || size < 4) {
        scan.problem = "its header list is damaged";
        return scan;
      }
      std::vector<std::uint8_t> hdrl(size);
      if (!in.Read(at + 8, hdrl.data(), size)) {
        scan.problem = "its header list is cut short";
        return scan;
      }
      scan.problem = ReadHeaderList(hdrl, scan);
      if (!scan.problem.empty()) return scan;
      header = true;
    }
    at += 8 + std::uint64_t{size} + (size & 1);
  }
  if (!header) {
    scan.problem = "no AVI header";
    return scan;
  }
  // The chunks, through every part; the first one that does not fit ends
  // the walk.
  for (;;) {
    std::uint8_t chunk[12];
    if (!in.Read(at, chunk, 8)) break;
    const std::uint32_t size = U32(chunk + 4);
    const std::uint64_t next = at + 8 + std::uint64_t{size} + (size & 1);
    if (IsCode(chunk, "RIFF") || IsCode(chunk, "LIST")) {
      if (!in.Read(at + 8, chunk + 8, 4)) break;
      if (IsCode(chunk, "RIFF") && IsCode(chunk + 8, "AVIX")) {
        at += 12;
      } else if (IsCode(chunk, "LIST") && (IsCode(chunk + 8, "movi") || IsCode(chunk + 8, "rec "))) {
        at += 12;
      } else {
        break;
      }
      continue;
    }
    if (next > in.Length()) break;
    if (IsCode(chunk, "00dc")) {
      if (size == 0) {
        if (scan.frames == 0) break;  // a held slot holds a picture before it
      } else if (!WholePicture(in, at + 8, size)) {
        break;
      } else {
        ++scan.frames;
      }
      scan.slots.push_back(AviChunkScan::Slot{at + 8, size});
    } else if (IsCode(chunk, "idx1")) {
      legacyIndex = true;
    } else if (!IsCode(chunk, "JUNK") && !(chunk[0] == 'i' && chunk[1] == 'x')) {
      break;
    }
    at = next;
  }
  scan.finished = legacyIndex && scan.headerSlots == scan.slots.size();
  return scan;
}

AviRepair RepairMjpegAvi(const std::string& path) {
  AviRepair result;
  UniqueStdFile source(OpenFileUtf8(path, "rb"));
  if (!source) {
    result.problem = "cannot be opened";
    return result;
  }
  const AviChunkScan scan = ScanMjpegAvi(source.get());
  if (!scan.problem.empty()) {
    result.problem = scan.problem;
    return result;
  }
  // Held slots after the last picture hold nothing worth keeping.
  std::size_t count = scan.slots.size();
  while (count > 0 && scan.slots[count - 1].size == 0) --count;
  if (count == 0) {
    result.problem = "holds no whole frame";
    return result;
  }
  std::uint64_t bytes = 0;
  for (std::size_t i = 0; i < count; ++i) bytes += 8 + scan.slots[i].size;

  PartFile part(path);
  if (!part.Open()) {
    result.problem = "its repaired copy cannot be written beside it";
    return result;
  }
  MjpegAviSettings settings;
  settings.width = scan.width;
  settings.height = scan.height;
  settings.framesPerSecond = scan.rate;
  settings.scale = scan.scale;
  settings.superIndexSlots = SuperIndexSlotsFor(count, 0, bytes);
  OutputFile out(part.stream());
  MjpegAviWriter writer(out, settings);
  bool ok = writer.Start();
  std::vector<std::uint8_t> picture;
  std::uint32_t held = 0;
  for (std::size_t i = 0; ok && i < count; ++i) {
    const AviChunkScan::Slot& slot = scan.slots[i];
    if (slot.size == 0) {
      ++held;
      continue;
    }
    picture.resize(slot.size);
    ok = SeekFile(source.get(), slot.dataAt) &&
         std::fread(picture.data(), 1, slot.size, source.get()) == slot.size &&
         (held == 0 || writer.HoldSlots(held)) && writer.AddFrame(picture.data(), picture.size());
    held = 0;
  }
  ok = writer.Finish() && ok;
  source.reset();  // the file it replaces must be closed (Windows)
  if (!part.Commit(!ok)) {
    result.problem = "its repaired copy could not be written";
    return result;
  }
  result.ok = true;
  result.frames = writer.FrameCount();
  result.slots = writer.SlotCount();
  return result;
}

}  // namespace lumavex
