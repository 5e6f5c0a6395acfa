#pragma once
// Writes a Motion JPEG AVI whose frames are JPEG files copied byte for byte:
// one key frame each, in an 'MJPG' video stream. Portable C++ only.
//
// The first RIFF part is an ordinary AVI with an idx1 index; when the file
// outgrows `partSize`, later frames go into OpenDML 'AVIX' parts, and the
// OpenDML super and standard indexes make every frame reachable past 1 GB
// and 2 GB.
//
// The writer only writes into the output it is given: where the file goes,
// and whether it is put in place once Finish() has succeeded, is its
// caller's (a PartFile's, in the program).
//
// Memory stays flat: frames are never held, only 8 bytes of index a frame
// of the part being written. The super index has room for
// `superIndexSlots` standard indexes (256 by default: 256 GB at the default
// part size); a frame that would need more fails.
//
// A frame lasts scale / framesPerSecond seconds, so that one frame a slot of
// any interval plays in real time (2 s: 1/2, 60 s: 1/60). A slot without a
// picture of its own is held: an empty '00dc' chunk, which readers take as
// "the previous picture stays", and which survives a repair since it is a
// chunk like the others.
//
// With `refreshSlots` set, a file that is never finished (a killed program)
// still plays: every time that many slots have gone in since the last time,
// a standard index of the new entries goes into the movi list and the
// headers are patched to cover everything written so far, then flushed.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "avi/output_file.h"

namespace lumavex {

struct MjpegAviSettings {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t framesPerSecond = 1;
  // Largest size of one RIFF part; tests make it small to get many parts.
  // At most 2 GB - 1 is used, as many readers take RIFF sizes as signed.
  // (A part holds at least one frame, whatever this says.)
  std::uint64_t partSize = std::uint64_t{1} << 30;
  // One frame lasts scale / framesPerSecond seconds.
  std::uint32_t scale = 1;
  // 0: indexes are written when a part ends. Otherwise the index and headers
  // are brought up to date each time this many slots went in since.
  std::uint32_t refreshSlots = 0;
  // Standard indexes the super index can point at: one a part, plus one a
  // refresh. A refresh that would leave no slot for the end is skipped.
  std::uint32_t superIndexSlots = 256;
};

// Room a super index needs for a file of `slots` slots refreshed every
// `refreshSlots` and cut into parts of at most `partBytes`, `fileBytes`
// in all.
std::uint32_t SuperIndexSlotsFor(std::uint64_t slots, std::uint32_t refreshSlots, std::uint64_t fileBytes,
                                 std::uint64_t partBytes = MjpegAviSettings{}.partSize);

class MjpegAviWriter {
 public:
  MjpegAviWriter(OutputFile& out, MjpegAviSettings settings);
  MjpegAviWriter(const MjpegAviWriter&) = delete;
  MjpegAviWriter& operator=(const MjpegAviWriter&) = delete;

  // Writes the headers. False when the output fails, or when the size is 0
  // or beyond 65535 either way.
  bool Start();
  // Appends one frame (a whole JPEG file). False once any write failed; the
  // writer then stays failed. A frame too large for one part (about 2 GB)
  // fails the writer the same way; an empty frame is refused and changes
  // nothing.
  bool AddFrame(const std::uint8_t* data, std::size_t size);
  // Holds the last picture for `count` more slots (a frame must come
  // first). False once the writer failed.
  bool HoldSlots(std::uint32_t count);
  // Brings the index and headers up to date with what was written and
  // flushes; AddFrame and HoldSlots call it as `refreshSlots` says. False
  // once the writer failed.
  bool Refresh();
  // Writes the indexes, completes the headers and flushes the output. False
  // on any failure; the caller then drops what was written. A video without
  // frames is refused the same way.
  bool Finish();

  // Pictures written; SlotCount() adds the held slots.
  std::uint32_t FrameCount() const { return frames_; }
  std::uint32_t SlotCount() const { return slots_; }
  // Refreshes done so far, and the bytes they wrote (indexes and patches).
  std::uint32_t RefreshCount() const { return refreshes_; }
  std::uint64_t RefreshBytes() const { return refreshBytes_; }
  // True once a write failed (Finish will then refuse).
  bool Failed() const { return failed_; }
  // Number of RIFF parts so far (1 until the first part is full).
  std::size_t PartCount() const { return parts_.size() + (open_ ? 1 : 0); }

  // An upper bound of the finished file's size for `frameCount` frames whose
  // sizes add up to `frameBytes`, for checking the free space beforehand.
  static std::uint64_t ExpectedFileSize(std::uint64_t frameBytes, std::uint32_t frameCount,
                                        std::uint64_t partSize = MjpegAviSettings{}.partSize);

 private:
  MjpegAviSettings settings_;
  std::uint32_t frames_ = 0;
  std::uint32_t slots_ = 0;
  // The rest is the implementation's.

  // Where a frame's chunk starts, relative to its part's 'movi' code, and
  // its data size (0 for a held slot): all an index needs.
  struct FrameEntry {
    std::uint32_t offset;
    std::uint32_t size;
  };
  // A finished part, for its size fields.
  struct Part {
    std::uint64_t riffStart;
    std::uint64_t moviCode;  // offset of the 'movi' code
    std::uint64_t moviEnd;   // end of the movi list (after its last standard index)
    std::uint64_t end;
  };
  // A standard index written, as the super index names it.
  struct IndexChunk {
    std::uint64_t start;
    std::uint32_t size;  // whole chunk
    std::uint32_t slots;
  };

  bool StartPart();
  bool ClosePart();
  bool WriteStandardIndex();
  bool AddEntry(const std::uint8_t* data, std::uint32_t size);
  bool RefreshIfDue();
  bool Fail();
  std::uint32_t FirstHeaderSize() const;
  std::vector<std::uint8_t> FirstHeader(std::uint64_t firstEnd, std::uint64_t firstMoviEnd) const;

  OutputFile& file_;
  std::uint64_t partLimit_ = 0;
  std::uint64_t riffStart_ = 0;
  std::uint64_t moviCode_ = 0;
  std::vector<FrameEntry> entries_;  // of the part being written
  std::size_t indexed_ = 0;          // of entries_, in a standard index already
  std::vector<Part> parts_;
  std::vector<IndexChunk> indexes_;
  std::uint32_t firstPartFrames_ = 0;
  std::uint32_t slotsAtRefresh_ = 0;
  std::uint32_t refreshes_ = 0;
  std::uint64_t refreshBytes_ = 0;
  std::uint32_t largestFrame_ = 0;
  bool open_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace lumavex
