#pragma once
// Writes a Motion JPEG AVI whose frames are JPEG files copied byte for byte:
// one key frame each, in an 'MJPG' video stream. Portable C++ only.
//
// The first RIFF part is an ordinary AVI with an idx1 index; when the file
// outgrows `partSize`, later frames go into OpenDML 'AVIX' parts, and the
// OpenDML super and standard indexes make every frame reachable past 1 GB
// and 2 GB.
//
// The file is written to `<target>.part` beside the target and renamed into
// place by Finish() only when it is complete: the target is either a whole
// video or absent (an earlier file of that name stays until the rename).
#include <cstddef>
#include <cstdint>
#include <string>

namespace lumavex {

struct MjpegAviLayout {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t framesPerSecond = 1;
  // Largest size of one RIFF part; tests make it small to get many parts.
  std::uint64_t partSize = std::uint64_t{1} << 30;
};

class MjpegAviWriter {
 public:
  static constexpr const char* kTemporarySuffix = ".part";

  MjpegAviWriter(std::string targetPath, MjpegAviLayout layout);
  // Without Finish(), the temporary is closed and removed.
  ~MjpegAviWriter();
  MjpegAviWriter(const MjpegAviWriter&) = delete;
  MjpegAviWriter& operator=(const MjpegAviWriter&) = delete;

  // Creates the temporary and writes the headers. False when it cannot.
  bool Open();
  // Appends one frame (a whole JPEG file). False once any write failed; the
  // writer then stays failed.
  bool AddFrame(const std::uint8_t* data, std::size_t size);
  // Writes the indexes, completes the headers, closes and renames into
  // place. False on any failure, after which neither the temporary nor a
  // new target is left.
  bool Finish();

  std::uint32_t FrameCount() const { return frames_; }
  const std::string& TargetPath() const { return target_; }

  // An upper bound of the finished file's size for `frameCount` frames whose
  // sizes add up to `frameBytes`, for checking the free space beforehand.
  static std::uint64_t ExpectedFileSize(std::uint64_t frameBytes, std::uint32_t frameCount,
                                        std::uint64_t partSize = MjpegAviLayout{}.partSize);

 private:
  std::string target_;
  MjpegAviLayout layout_;
  std::uint32_t frames_ = 0;
  // The rest is the implementation's.
};

}  // namespace lumavex
