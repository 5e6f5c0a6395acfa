#pragma once
// Where a recording's frames go. Each output writes one kind of file per
// frame; the recorder hands every frame to the outputs the user has on at
// that tick. A video of the recording can be one more output.
//
// Every frame file takes one road: written whole into a temporary of its
// own, then moved into place in one step, so that a killed program leaves
// each frame whole or absent.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/message.h"
#include "imaging/image.h"
#include "imaging/jpeg/jpeg_output_buffer.h"
#include "recording/recording_state.h"
#include "recording/recording_video.h"

namespace lumavex {

inline constexpr const char* kJpegWriteFailedMessage =
    "Failed to save to JPG, seems webcam window is closed or no space left.";

// Why a frame could not be written when the recording folder is no longer
// where it was made: not the disk, nor the window.
inline UserMessage FolderGoneMessage(const std::string& folder) {
  return UserMessage{"The recording folder is gone (removed or renamed):\r\n" + folder +
                         "\r\nRecording stopped.",
                     MessageIcon::Exclamation};
}

// One frame as the outputs see it.
struct FrameToWrite {
  Bgr24Source pixels;  // bottom row first
  FramePaths paths;
  // After a Reset a file of this number may exist from before.
  bool numbersReused = false;
  // The frame encoded once, at JpegFrameFiles::kQuality, for every output
  // that wants a JPEG: the JPG file and the video packet are the same bytes.
  const std::uint8_t* jpeg = nullptr;
  std::size_t jpegSize = 0;
  std::int64_t slot = 0;  // RecordingState::FrameSlot()
};

class FrameOutput {
 public:
  virtual ~FrameOutput() = default;
  // Writes the frame; adds the bytes it put on the disk to `bytes`. False,
  // with what the recording halts with in `failure`, when it could not.
  virtual bool Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) = 0;
};

// Puts a whole file in place through one temporary: the file `scratchName`
// in the recording's scratch folder when it has one (one new name among
// thousands of frames costs Wine a read of the whole folder), otherwise
// "<target>.part" beside the target.
class FramePlacer {
 public:
  explicit FramePlacer(std::string scratchName) : scratchName_(std::move(scratchName)) {}
  // The scratch folder of the recording now; empty when it has none.
  void UseScratchFolder(const std::string& folder) { scratchFolder_ = folder; }
  // Writes the parts, one after the other, as the whole file at `target`;
  // false when it could not, with nothing left at the temporary.
  bool Place(const std::string& target, const std::vector<std::pair<const void*, std::size_t>>& parts) const;

 private:
  std::string scratchName_;
  std::string scratchFolder_;
};

// "Save as BMP": the frame's rows as they are, behind a 24-bit BMP header.
class BmpFrameFiles : public FrameOutput {
 public:
  explicit BmpFrameFiles(const FramePlacer& placer) : placer_(placer) {}
  bool Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) override;

 private:
  const FramePlacer& placer_;
};

// "Save as JPG": the frame encoded at quality 70.
class JpegFrameFiles : public FrameOutput {
 public:
  static constexpr int kQuality = 70;
  explicit JpegFrameFiles(const FramePlacer& placer) : placer_(placer) {}
  bool Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) override;

 private:
  const FramePlacer& placer_;
};

// Encodes a frame's pixels once for the outputs that take JPEG bytes.
class FrameJpegEncoder {
 public:
  // False when the frame could not be encoded; `failure` says so.
  bool Encode(FrameToWrite& frame, UserMessage& failure);

 private:
  jpeg::JpegOutputBuffer encoded_{32 * 1024};  // kept from frame to frame
};

// "Save into a video": each frame's JPEG bytes into the recording's video.
class VideoFrameFiles : public FrameOutput {
 public:
  explicit VideoFrameFiles(RecordingVideo& video) : video_(video) {}
  bool Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) override;

 private:
  RecordingVideo& video_;
};

}  // namespace lumavex
