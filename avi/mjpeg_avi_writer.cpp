#include "avi/mjpeg_avi_writer.h"

#include <algorithm>
#include <utility>

namespace lumavex {
namespace {

// Layout of the first part's headers, in bytes. The super index has a fixed
// number of slots, one per RIFF part.
constexpr std::uint32_t kSuperIndexSlots = 256;
constexpr std::uint32_t kMainHeaderSize = 56;
constexpr std::uint32_t kStreamHeaderSize = 56;
constexpr std::uint32_t kBitmapInfoSize = 40;
constexpr std::uint32_t kSuperIndexSize = 24 + 16 * kSuperIndexSlots;
constexpr std::uint32_t kExtendedHeaderSize = 248;  // dmlh: the frame count and reserved room
constexpr std::uint32_t kStrlSize =
    4 + (8 + kStreamHeaderSize) + (8 + kBitmapInfoSize) + (8 + kSuperIndexSize);
constexpr std::uint32_t kOdmlSize = 4 + 8 + kExtendedHeaderSize;
constexpr std::uint32_t kHdrlSize = 4 + (8 + kMainHeaderSize) + (8 + kStrlSize) + (8 + kOdmlSize);
// RIFF header, hdrl list, movi list header up to and with its 'movi' code.
constexpr std::uint32_t kFirstHeaderSize = 12 + (8 + kHdrlSize) + 12;
// 'RIFF' size 'AVIX' 'LIST' size 'movi'.
constexpr std::uint32_t kExtensionHeaderSize = 24;
constexpr std::uint32_t kStandardIndexHeaderSize = 8 + 24;
constexpr std::uint32_t kStandardIndexEntrySize = 8;
constexpr std::uint32_t kLegacyIndexEntrySize = 16;
constexpr std::uint32_t kChunkHeaderSize = 8;
constexpr std::uint64_t kLargestPart = 0x7FFFFFFF;

constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint32_t kAviifKeyFrame = 0x10;

std::uint64_t PartLimit(std::uint64_t partSize) { return std::min(partSize, kLargestPart); }

// Little-endian fields appended to a byte vector.
class Bytes {
 public:
  explicit Bytes(std::vector<std::uint8_t>& out) : out_(out) {}
  Bytes& U8(std::uint32_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    return *this;
  }
  Bytes& U16(std::uint32_t v) { return U8(v).U8(v >> 8); }
  Bytes& U32(std::uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
  Bytes& U64(std::uint64_t v) {
    return U32(static_cast<std::uint32_t>(v)).U32(static_cast<std::uint32_t>(v >> 32));
  }
  Bytes& Code(const char* fourcc) { return U8(fourcc[0]).U8(fourcc[1]).U8(fourcc[2]).U8(fourcc[3]); }
  Bytes& Zeros(std::size_t count) {
    out_.insert(out_.end(), count, 0);
    return *this;
  }

 private:
  std::vector<std::uint8_t>& out_;
};

std::uint32_t Clamp32(std::uint64_t v) {
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, 0xFFFFFFFF));
}

std::uint32_t PaddedChunkSize(std::size_t dataSize) {
  return static_cast<std::uint32_t>(kChunkHeaderSize + dataSize + (dataSize & 1));
}

}  // namespace

MjpegAviWriter::MjpegAviWriter(OutputFile& out, MjpegAviSettings settings)
    : settings_(settings), file_(out), partLimit_(PartLimit(settings.partSize)) {
  if (settings_.framesPerSecond == 0) settings_.framesPerSecond = 1;
}

bool MjpegAviWriter::Fail() {
  failed_ = true;
  return false;
}

std::vector<std::uint8_t> MjpegAviWriter::FirstHeader() const {
  const std::uint32_t fps = settings_.framesPerSecond;
  const std::uint32_t largestChunk = largestFrame_ == 0 ? 0 : PaddedChunkSize(largestFrame_);
  const Part* first = parts_.empty() ? nullptr : &parts_.front();
  std::vector<std::uint8_t> header;
  header.reserve(kFirstHeaderSize);
  Bytes out(header);
  out.Code("RIFF").U32(first ? static_cast<std::uint32_t>(first->end - 8) : 0).Code("AVI ");
  out.Code("LIST").U32(kHdrlSize).Code("hdrl");

  out.Code("avih").U32(kMainHeaderSize);
  out.U32((1000000 + fps / 2) / fps);                   // microseconds per frame
  out.U32(Clamp32(std::uint64_t{largestChunk} * fps));  // max bytes per second
  out.U32(0);                                           // padding granularity
  out.U32(kAvifHasIndex | kAvifIsInterleaved);
  out.U32(firstPartFrames_);  // frames of the first part only
  out.U32(0);                 // initial frames
  out.U32(1);                 // streams
  out.U32(largestChunk);      // suggested buffer size
  out.U32(settings_.width).U32(settings_.height);
  out.Zeros(16);

  out.Code("LIST").U32(kStrlSize).Code("strl");
  out.Code("strh").U32(kStreamHeaderSize);
  out.Code("vids").Code("MJPG");
  out.U32(0);             // flags
  out.U16(0).U16(0);      // priority, language
  out.U32(0);             // initial frames
  out.U32(1).U32(fps);    // scale, rate: one frame lasts 1/fps s
  out.U32(0);             // start
  out.U32(frames_);       // length: every frame of every part
  out.U32(largestChunk);  // suggested buffer size
  out.U32(0xFFFFFFFF);    // quality: the default
  out.U32(0);             // sample size: varies
  // rcFrame, in 16-bit fields
  out.U16(0).U16(0).U16(std::min<std::uint32_t>(settings_.width, 0x7FFF));
  out.U16(std::min<std::uint32_t>(settings_.height, 0x7FFF));

  out.Code("strf").U32(kBitmapInfoSize);
  out.U32(kBitmapInfoSize).U32(settings_.width).U32(settings_.height);
  out.U16(1).U16(24).Code("MJPG");
  out.U32(Clamp32(std::uint64_t{settings_.width} * settings_.height * 3));
  out.Zeros(16);

  out.Code("indx").U32(kSuperIndexSize);
  out.U16(4).U8(0).U8(0);  // four longs an entry; an index of indexes
  out.U32(static_cast<std::uint32_t>(parts_.size()));
  out.Code("00dc").Zeros(12);
  for (const Part& part : parts_) out.U64(part.indexStart).U32(part.indexSize).U32(part.frames);
  out.Zeros(16 * (kSuperIndexSlots - parts_.size()));

  out.Code("LIST").U32(kOdmlSize).Code("odml");
  out.Code("dmlh").U32(kExtendedHeaderSize).U32(frames_).Zeros(kExtendedHeaderSize - 4);

  out.Code("LIST").U32(first ? static_cast<std::uint32_t>(first->moviEnd - first->moviCode) : 0).Code("movi");
  return header;
}

bool MjpegAviWriter::Start() {
  if (open_ || finished_ || failed_) return false;
  if (settings_.width == 0 || settings_.height == 0 || settings_.width > 0xFFFF ||
      settings_.height > 0xFFFF || file_.Failed() || file_.Position() != 0)
    return Fail();
  open_ = true;
  const std::vector<std::uint8_t> header = FirstHeader();
  if (!file_.Write(header.data(), header.size())) return Fail();
  riffStart_ = 0;
  moviCode_ = kFirstHeaderSize - 4;
  return true;
}

bool MjpegAviWriter::StartPart() {
  if (parts_.size() >= kSuperIndexSlots) return Fail();
  riffStart_ = file_.Position();
  moviCode_ = riffStart_ + kExtensionHeaderSize - 4;
  std::vector<std::uint8_t> header;
  Bytes(header).Code("RIFF").U32(0).Code("AVIX").Code("LIST").U32(0).Code("movi");
  return file_.Write(header.data(), header.size()) || Fail();
}

// Ends the part being written: its standard index closes its movi list, the
// first part also gets the legacy index. Sizes are filled in by Finish.
bool MjpegAviWriter::ClosePart() {
  const bool firstPart = parts_.empty();
  const std::uint32_t count = static_cast<std::uint32_t>(entries_.size());
  // The entries go through the file's buffer one by one, so that no second
  // copy of the index is ever held.
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kStandardIndexHeaderSize);
  Bytes out(bytes);
  out.Code("ix00").U32(kStandardIndexHeaderSize - 8 + kStandardIndexEntrySize * count);
  out.U16(2).U8(0).U8(1);  // two longs an entry; an index of chunks
  out.U32(count).Code("00dc").U64(moviCode_).U32(0);

  Part part{};
  part.riffStart = riffStart_;
  part.moviCode = moviCode_;
  part.indexStart = file_.Position();
  part.indexSize = kStandardIndexHeaderSize + kStandardIndexEntrySize * count;
  part.frames = count;
  bool ok = file_.Write(bytes.data(), bytes.size());
  // Offsets point at the data, past the chunk header; the size's top bit
  // clear marks a key frame.
  for (std::size_t i = 0; ok && i < entries_.size(); ++i) {
    bytes.clear();
    out.U32(entries_[i].offset + kChunkHeaderSize).U32(entries_[i].size);
    ok = file_.Write(bytes.data(), bytes.size());
  }
  part.moviEnd = file_.Position();

  if (ok && firstPart) {
    bytes.clear();
    out.Code("idx1").U32(kLegacyIndexEntrySize * count);
    ok = file_.Write(bytes.data(), bytes.size());
    for (std::size_t i = 0; ok && i < entries_.size(); ++i) {
      bytes.clear();
      out.Code("00dc").U32(kAviifKeyFrame).U32(entries_[i].offset).U32(entries_[i].size);
      ok = file_.Write(bytes.data(), bytes.size());
    }
    firstPartFrames_ = count;
  }
  if (!ok) return Fail();
  part.end = file_.Position();
  parts_.push_back(part);
  entries_.clear();
  entries_.shrink_to_fit();
  return true;
}

bool MjpegAviWriter::AddFrame(const std::uint8_t* data, std::size_t size) {
  if (failed_ || !open_) return false;
  if (data == nullptr || size == 0) return false;
  const bool firstPart = parts_.empty();
  const std::uint64_t chunk = kChunkHeaderSize + std::uint64_t{size} + (size & 1);
  // Room this part needs once the frame and its index entries are in.
  const auto partBytesWith = [&](std::uint64_t used, std::uint64_t frames, bool withLegacy) {
    return used + chunk + kStandardIndexHeaderSize + kStandardIndexEntrySize * frames +
           (withLegacy ? 8 + kLegacyIndexEntrySize * frames : 0);
  };
  const std::uint64_t used = file_.Position() - riffStart_;
  if (partBytesWith(used, entries_.size() + 1, firstPart) > partLimit_ && !entries_.empty()) {
    if (!ClosePart() || !StartPart()) return false;
  }
  const bool inFirst = parts_.empty();
  if (partBytesWith(file_.Position() - riffStart_, entries_.size() + 1, inFirst) > kLargestPart)
    return Fail();

  const std::uint8_t header[kChunkHeaderSize] = {'0',
                                                 '0',
                                                 'd',
                                                 'c',
                                                 static_cast<std::uint8_t>(size),
                                                 static_cast<std::uint8_t>(size >> 8),
                                                 static_cast<std::uint8_t>(size >> 16),
                                                 static_cast<std::uint8_t>(size >> 24)};
  const FrameEntry entry{static_cast<std::uint32_t>(file_.Position() - moviCode_),
                         static_cast<std::uint32_t>(size)};
  static const std::uint8_t kPad = 0;
  if (!file_.Write(header, sizeof header) || !file_.Write(data, size) ||
      ((size & 1) && !file_.Write(&kPad, 1))) {
    return Fail();
  }
  entries_.push_back(entry);
  largestFrame_ = std::max(largestFrame_, static_cast<std::uint32_t>(size));
  ++frames_;
  return true;
}

bool MjpegAviWriter::Finish() {
  if (finished_) return false;
  if (failed_ || !open_ || frames_ == 0) {
    open_ = false;
    return Fail();
  }
  bool ok = ClosePart();
  // The first part's sizes, counts and super index live in its headers;
  // every later part only needs its two sizes.
  if (ok) {
    const std::vector<std::uint8_t> header = FirstHeader();
    ok = file_.WriteAt(0, header.data(), header.size());
  }
  for (std::size_t i = 1; ok && i < parts_.size(); ++i) {
    const Part& part = parts_[i];
    std::vector<std::uint8_t> sizes;
    Bytes(sizes)
        .U32(static_cast<std::uint32_t>(part.end - part.riffStart - 8))
        .Code("AVIX")
        .Code("LIST")
        .U32(static_cast<std::uint32_t>(part.moviEnd - part.moviCode));
    ok = file_.WriteAt(part.riffStart + 4, sizes.data(), sizes.size());
  }
  ok = ok && file_.Flush();
  open_ = false;
  if (!ok) return Fail();
  finished_ = true;
  return true;
}

std::uint64_t MjpegAviWriter::ExpectedFileSize(std::uint64_t frameBytes, std::uint32_t frameCount,
                                               std::uint64_t partSize) {
  // Each frame: chunk header, a pad byte at most, a standard index entry and
  // (at most) a legacy one.
  const std::uint64_t perFrame = kChunkHeaderSize + 1 + kStandardIndexEntrySize + kLegacyIndexEntrySize;
  const std::uint64_t perPart = kExtensionHeaderSize + kStandardIndexHeaderSize;
  const std::uint64_t body = kFirstHeaderSize + 8 + frameBytes + perFrame * frameCount;
  // A part is closed only when it, its index entries and the next frame
  // together pass the limit, so each closed part and the next frame's chunk
  // hold more than the limit less a few index bytes: fewer than
  // 2 * file / limit + 1 parts.
  const std::uint64_t limit = PartLimit(partSize);
  const std::uint64_t room = limit > 2 * kStandardIndexHeaderSize ? limit - kStandardIndexHeaderSize : 1;
  std::uint64_t parts = 2 * (body + perPart * frameCount) / room + 1;
  parts = std::min<std::uint64_t>(parts, std::max<std::uint32_t>(frameCount, 1));
  return body + perPart * parts;
}

}  // namespace lumavex
