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
// of the part being written. The super index has room for 256 parts (256 GB
// at the default part size); a frame that would need more fails.
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
};

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
  // Writes the indexes, completes the headers and flushes the output. False
  // on any failure; the caller then drops what was written. A video without
  // frames is refused the same way.
  bool Finish();

  std::uint32_t FrameCount() const { return frames_; }
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
  // The rest is the implementation's.

  // Where a frame's chunk starts, relative to its part's 'movi' code, and
  // its data size: all an index needs.
  struct FrameEntry {
    std::uint32_t offset;
    std::uint32_t size;
  };
  // A finished part, for the super index and the size fields.
  struct Part {
    std::uint64_t riffStart;
    std::uint64_t moviCode;  // offset of the 'movi' code
    std::uint64_t moviEnd;   // end of the movi list (after the standard index)
    std::uint64_t end;
    std::uint64_t indexStart;
    std::uint32_t indexSize;  // whole chunk
    std::uint32_t frames;
  };

  bool StartPart();
  bool ClosePart();
  bool Fail();
  std::vector<std::uint8_t> FirstHeader() const;

  OutputFile& file_;
  std::uint64_t partLimit_ = 0;
  std::uint64_t riffStart_ = 0;
  std::uint64_t moviCode_ = 0;
  std::vector<FrameEntry> entries_;  // of the part being written
  std::vector<Part> parts_;
  std::uint32_t firstPartFrames_ = 0;
  std::uint32_t largestFrame_ = 0;
  bool open_ = false;
  bool failed_ = false;
  bool finished_ = false;
};

}  // namespace lumavex
