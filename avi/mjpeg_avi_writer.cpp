#include "avi/mjpeg_avi_writer.h"

#include <algorithm>
#include <utility>

namespace lumavex {
namespace {

// Layout of the first part's headers, in bytes. The super index has a fixed
// number of slots, one per standard index.
constexpr std::uint32_t kMainHeaderSize = 56;
constexpr std::uint32_t kStreamHeaderSize = 56;
constexpr std::uint32_t kBitmapInfoSize = 40;
constexpr std::uint32_t kSuperIndexHeaderSize = 24;
constexpr std::uint32_t kSuperIndexEntrySize = 16;
constexpr std::uint32_t kExtendedHeaderSize = 248;  // dmlh: the frame count and reserved room
constexpr std::uint32_t kOdmlSize = 4 + 8 + kExtendedHeaderSize;
constexpr std::uint32_t SuperIndexSize(std::uint32_t slots) {
  return kSuperIndexHeaderSize + kSuperIndexEntrySize * slots;
}
constexpr std::uint32_t StrlSize(std::uint32_t slots) {
  return 4 + (8 + kStreamHeaderSize) + (8 + kBitmapInfoSize) + (8 + SuperIndexSize(slots));
}
constexpr std::uint32_t HdrlSize(std::uint32_t slots) {
  return 4 + (8 + kMainHeaderSize) + (8 + StrlSize(slots)) + (8 + kOdmlSize);
}
// Where the super index's entries begin in the first header.
constexpr std::uint32_t kSuperIndexEntriesAt = 12 + 12 + (8 + kMainHeaderSize) + 12 +
                                               (8 + kStreamHeaderSize) + (8 + kBitmapInfoSize) + 8 +
                                               kSuperIndexHeaderSize;
// Past the super index: the odml list and the movi list's header.
constexpr std::uint32_t kHeaderTailSize = (8 + kOdmlSize) + 12;
// RIFF header, hdrl list, movi list header up to and with its 'movi' code.
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
// In a standard index, a size with this bit is no key frame.
constexpr std::uint32_t kNotKeyFrame = 0x80000000;
constexpr std::uint32_t kSmallestSuperIndex = 2;

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

std::uint32_t SuperIndexSlotsFor(std::uint64_t slots, std::uint32_t refreshSlots, std::uint64_t fileBytes,
                                 std::uint64_t partBytes) {
  const std::uint64_t limit = std::max<std::uint64_t>(PartLimit(partBytes) / 2, 1);
  const std::uint64_t parts = fileBytes / limit + 2;
  const std::uint64_t refreshes = refreshSlots == 0 ? 0 : slots / refreshSlots + 1;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>(parts + refreshes, 1u << 20));
}

MjpegAviWriter::MjpegAviWriter(OutputFile& out, MjpegAviSettings settings)
    : settings_(settings), file_(out), partLimit_(PartLimit(settings.partSize)) {
  if (settings_.framesPerSecond == 0) settings_.framesPerSecond = 1;
  if (settings_.scale == 0) settings_.scale = 1;
  settings_.superIndexSlots = std::max(settings_.superIndexSlots, kSmallestSuperIndex);
}

bool MjpegAviWriter::Fail() {
  failed_ = true;
  return false;
}

std::uint32_t MjpegAviWriter::FirstHeaderSize() const {
  return 12 + (8 + HdrlSize(settings_.superIndexSlots)) + 12;
}

// The first part's headers, sized as the file stands: `firstEnd` and
// `firstMoviEnd` are where the first part and its movi list end now.
std::vector<std::uint8_t> MjpegAviWriter::FirstHeader(std::uint64_t firstEnd,
                                                      std::uint64_t firstMoviEnd) const {
  const std::uint32_t rate = settings_.framesPerSecond;
  const std::uint32_t scale = settings_.scale;
  const std::uint32_t slotCount = settings_.superIndexSlots;
  const std::uint32_t largestChunk = largestFrame_ == 0 ? 0 : PaddedChunkSize(largestFrame_);
  std::vector<std::uint8_t> header;
  header.reserve(FirstHeaderSize());
  Bytes out(header);
  out.Code("RIFF").U32(firstEnd > 8 ? static_cast<std::uint32_t>(firstEnd - 8) : 0).Code("AVI ");
  out.Code("LIST").U32(HdrlSize(slotCount)).Code("hdrl");

  out.Code("avih").U32(kMainHeaderSize);
  out.U32(Clamp32((std::uint64_t{1000000} * scale + rate / 2) / rate));  // microseconds per frame
  out.U32(Clamp32(std::uint64_t{largestChunk} * rate / scale));          // max bytes per second
  out.U32(0);                                                            // padding granularity
  out.U32(kAvifHasIndex | kAvifIsInterleaved);
  out.U32(firstPartFrames_);  // frames of the first part only
  out.U32(0);                 // initial frames
  out.U32(1);                 // streams
  out.U32(largestChunk);      // suggested buffer size
  out.U32(settings_.width).U32(settings_.height);
  out.Zeros(16);

  out.Code("LIST").U32(StrlSize(slotCount)).Code("strl");
  out.Code("strh").U32(kStreamHeaderSize);
  out.Code("vids").Code("MJPG");
  out.U32(0);                // flags
  out.U16(0).U16(0);         // priority, language
  out.U32(0);                // initial frames
  out.U32(scale).U32(rate);  // one frame lasts scale/rate s
  out.U32(0);                // start
  out.U32(slots_);           // length: every slot of every part
  out.U32(largestChunk);     // suggested buffer size
  out.U32(0xFFFFFFFF);       // quality: the default
  out.U32(0);                // sample size: varies
  // rcFrame, in 16-bit fields
  out.U16(0).U16(0).U16(std::min<std::uint32_t>(settings_.width, 0x7FFF));
  out.U16(std::min<std::uint32_t>(settings_.height, 0x7FFF));

  out.Code("strf").U32(kBitmapInfoSize);
  out.U32(kBitmapInfoSize).U32(settings_.width).U32(settings_.height);
  out.U16(1).U16(24).Code("MJPG");
  out.U32(Clamp32(std::uint64_t{settings_.width} * settings_.height * 3));
  out.Zeros(16);

  out.Code("indx").U32(SuperIndexSize(slotCount));
  out.U16(4).U8(0).U8(0);  // four longs an entry; an index of indexes
  out.U32(static_cast<std::uint32_t>(indexes_.size()));
  out.Code("00dc").Zeros(12);
  for (const IndexChunk& index : indexes_) out.U64(index.start).U32(index.size).U32(index.slots);
  out.Zeros(kSuperIndexEntrySize * (slotCount - indexes_.size()));

  out.Code("LIST").U32(kOdmlSize).Code("odml");
  out.Code("dmlh").U32(kExtendedHeaderSize).U32(slots_).Zeros(kExtendedHeaderSize - 4);

  const std::uint64_t moviCode = FirstHeaderSize() - 4;
  out.Code("LIST")
      .U32(firstMoviEnd > moviCode ? static_cast<std::uint32_t>(firstMoviEnd - moviCode) : 0)
      .Code("movi");
  return header;
}

bool MjpegAviWriter::Start() {
  if (open_ || finished_ || failed_) return false;
  if (settings_.width == 0 || settings_.height == 0 || settings_.width > 0xFFFF ||
      settings_.height > 0xFFFF || file_.Failed() || file_.Position() != 0)
    return Fail();
  open_ = true;
  const std::vector<std::uint8_t> header = FirstHeader(0, 0);
  if (!file_.Write(header.data(), header.size())) return Fail();
  riffStart_ = 0;
  moviCode_ = FirstHeaderSize() - 4;
  return true;
}

bool MjpegAviWriter::StartPart() {
  riffStart_ = file_.Position();
  moviCode_ = riffStart_ + kExtensionHeaderSize - 4;
  std::vector<std::uint8_t> header;
  Bytes(header).Code("RIFF").U32(0).Code("AVIX").Code("LIST").U32(0).Code("movi");
  return file_.Write(header.data(), header.size()) || Fail();
}

// A standard index of the entries not in one yet, inside the movi list.
bool MjpegAviWriter::WriteStandardIndex() {
  if (indexed_ == entries_.size()) return true;
  if (indexes_.size() >= settings_.superIndexSlots) return Fail();
  const std::uint32_t count = static_cast<std::uint32_t>(entries_.size() - indexed_);
  // The entries go through the file's buffer one by one, so that no second
  // copy of the index is ever held.
  std::vector<std::uint8_t> bytes;
  bytes.reserve(kStandardIndexHeaderSize);
  Bytes out(bytes);
  out.Code("ix00").U32(kStandardIndexHeaderSize - 8 + kStandardIndexEntrySize * count);
  out.U16(2).U8(0).U8(1);  // two longs an entry; an index of chunks
  out.U32(count).Code("00dc").U64(moviCode_).U32(0);
  const IndexChunk index{file_.Position(), kStandardIndexHeaderSize + kStandardIndexEntrySize * count, count};
  bool ok = file_.Write(bytes.data(), bytes.size());
  // Offsets point at the data, past the chunk header; the size's top bit
  // clear marks a key frame (a held slot is none).
  for (std::size_t i = indexed_; ok && i < entries_.size(); ++i) {
    bytes.clear();
    const FrameEntry& entry = entries_[i];
    out.U32(entry.offset + kChunkHeaderSize).U32(entry.size == 0 ? kNotKeyFrame : entry.size);
    ok = file_.Write(bytes.data(), bytes.size());
  }
  if (!ok) return Fail();
  indexes_.push_back(index);
  indexed_ = entries_.size();
  return true;
}

// Ends the part being written: its last standard index closes its movi
// list, the first part also gets the legacy index. Sizes are filled in by
// Finish.
bool MjpegAviWriter::ClosePart() {
  const bool firstPart = parts_.empty();
  const std::uint32_t count = static_cast<std::uint32_t>(entries_.size());
  if (!WriteStandardIndex()) return false;
  Part part{};
  part.riffStart = riffStart_;
  part.moviCode = moviCode_;
  part.moviEnd = file_.Position();
  bool ok = true;
  if (firstPart) {
    std::vector<std::uint8_t> bytes;
    Bytes out(bytes);
    out.Code("idx1").U32(kLegacyIndexEntrySize * count);
    ok = file_.Write(bytes.data(), bytes.size());
    for (std::size_t i = 0; ok && i < entries_.size(); ++i) {
      bytes.clear();
      const FrameEntry& entry = entries_[i];
      out.Code("00dc").U32(entry.size == 0 ? 0 : kAviifKeyFrame).U32(entry.offset).U32(entry.size);
      ok = file_.Write(bytes.data(), bytes.size());
    }
    firstPartFrames_ = count;
  }
  if (!ok) return Fail();
  part.end = file_.Position();
  parts_.push_back(part);
  entries_.clear();
  entries_.shrink_to_fit();
  indexed_ = 0;
  return true;
}

// Appends one chunk, a picture or (size 0) a held slot, opening a new part
// when this one would pass its limit.
bool MjpegAviWriter::AddEntry(const std::uint8_t* data, std::uint32_t size) {
  const bool firstPart = parts_.empty();
  const std::uint64_t chunk = kChunkHeaderSize + std::uint64_t{size} + (size & 1);
  // Room this part needs once the chunk and its index entries are in.
  const auto partBytesWith = [&](std::uint64_t used, std::uint64_t frames, std::uint64_t unindexed,
                                 bool withLegacy) {
    return used + chunk + kStandardIndexHeaderSize + kStandardIndexEntrySize * unindexed +
           (withLegacy ? 8 + kLegacyIndexEntrySize * frames : 0);
  };
  const std::uint64_t used = file_.Position() - riffStart_;
  if (partBytesWith(used, entries_.size() + 1, entries_.size() - indexed_ + 1, firstPart) > partLimit_ &&
      !entries_.empty()) {
    // The super index needs a slot for this part's last index and one for
    // the next part's.
    if (indexes_.size() + 2 > settings_.superIndexSlots) return Fail();
    if (!ClosePart() || !StartPart()) return false;
  }
  const bool inFirst = parts_.empty();
  if (partBytesWith(file_.Position() - riffStart_, entries_.size() + 1, entries_.size() - indexed_ + 1,
                    inFirst) > kLargestPart)
    return Fail();

  const std::uint8_t header[kChunkHeaderSize] = {'0',
                                                 '0',
                                                 'd',
                                                 'c',
                                                 static_cast<std::uint8_t>(size),
                                                 static_cast<std::uint8_t>(size >> 8),
                                                 static_cast<std::uint8_t>(size >> 16),
                                                 static_cast<std::uint8_t>(size >> 24)};
  const FrameEntry entry{static_cast<std::uint32_t>(file_.Position() - moviCode_), size};
  static const std::uint8_t kPad = 0;
  if (!file_.Write(header, sizeof header) || (size > 0 && !file_.Write(data, size)) ||
      ((size & 1) && !file_.Write(&kPad, 1))) {
    return Fail();
  }
  entries_.push_back(entry);
  ++slots_;
  return true;
}

bool MjpegAviWriter::AddFrame(const std::uint8_t* data, std::size_t size) {
  if (failed_ || !open_) return false;
  if (data == nullptr || size == 0) return false;
  if (size > kLargestPart) return Fail();
  if (!AddEntry(data, static_cast<std::uint32_t>(size))) return false;
  largestFrame_ = std::max(largestFrame_, static_cast<std::uint32_t>(size));
  ++frames_;
  return RefreshIfDue();
}

bool MjpegAviWriter::HoldSlots(std::uint32_t count) {
  if (failed_ || !open_ || frames_ == 0) return false;
  for (std::uint32_t i = 0; i < count; ++i)
    if (!AddEntry(nullptr, 0)) return false;
  return RefreshIfDue();
}

bool MjpegAviWriter::RefreshIfDue() {
  if (settings_.refreshSlots == 0 || slots_ - slotsAtRefresh_ < settings_.refreshSlots) return true;
  // The last slots of the super index stay for the ends of parts.
  if (indexes_.size() + 2 >= settings_.superIndexSlots) return true;
  return Refresh();
}

// What a reader finds after a kill is what the last refresh wrote: the
// headers count every slot up to its standard index, and the RIFF and movi
// sizes end there. Chunks written since lie past the RIFF's end, where
// readers do not look.
bool MjpegAviWriter::Refresh() {
  if (failed_ || !open_) return false;
  slotsAtRefresh_ = slots_;
  const std::uint64_t before = file_.Position();
  if (!WriteStandardIndex()) return false;
  const std::uint64_t end = file_.Position();
  const bool inFirst = parts_.empty();
  if (inFirst) firstPartFrames_ = slots_;
  const std::vector<std::uint8_t> header =
      inFirst ? FirstHeader(end, end) : FirstHeader(parts_.front().end, parts_.front().moviEnd);
  // Only what changed: the sizes and counts before the super index, its
  // newest entry, and the odml and movi headers after it.
  const std::size_t newest = kSuperIndexEntriesAt + kSuperIndexEntrySize * (indexes_.size() - 1);
  const std::size_t tail = header.size() - kHeaderTailSize;
  bool ok = file_.WriteAt(0, header.data(), kSuperIndexEntriesAt) &&
            file_.WriteAt(newest, header.data() + newest, kSuperIndexEntrySize) &&
            file_.WriteAt(tail, header.data() + tail, kHeaderTailSize);
  if (ok && !inFirst) {
    std::vector<std::uint8_t> sizes;
    Bytes(sizes)
        .U32(static_cast<std::uint32_t>(end - riffStart_ - 8))
        .Code("AVIX")
        .Code("LIST")
        .U32(static_cast<std::uint32_t>(end - moviCode_));
    ok = file_.WriteAt(riffStart_ + 4, sizes.data(), sizes.size());
  }
  if (!ok || !file_.Flush()) return Fail();
  ++refreshes_;
  refreshBytes_ += (end - before) + kSuperIndexEntriesAt + kSuperIndexEntrySize + kHeaderTailSize;
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
    const std::vector<std::uint8_t> header = FirstHeader(parts_.front().end, parts_.front().moviEnd);
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
  const std::uint64_t firstHeader = 12 + (8 + HdrlSize(MjpegAviSettings{}.superIndexSlots)) + 12;
  const std::uint64_t body = firstHeader + 8 + frameBytes + perFrame * frameCount;
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
