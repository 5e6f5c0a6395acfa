#pragma once
// "Save into a video": a recording's frames, as they come, in Motion JPEG
// AVI files in the recording folder, each written under its final name
// (<prefix><first frame's 7 digits>.avi) from its first frame on, so that a
// killed program leaves a file players read up to its last refresh
// (avi/mjpeg_avi_writer.h), and every frame it was handed whole on the
// disk, for a repair. Which file a frame goes into is VideoSegments'.
// Portable.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "avi/mjpeg_avi_writer.h"
#include "avi/output_file.h"
#include "base/file.h"
#include "recording/video_segments.h"

namespace lumavex {

struct VideoFrame {
  const std::uint8_t* jpeg = nullptr;  // the frame's JPEG file, byte for byte
  std::size_t size = 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::int64_t slot = 0;
  // The path a file begun with this frame gets.
  std::string videoPath;
  // A file at that path may be this recording's from before a Reset, and
  // goes; otherwise a file there is someone else's and is never touched.
  bool numbersReused = false;
};

class RecordingVideo {
 public:
  RecordingVideo() = default;
  RecordingVideo(const RecordingVideo&) = delete;
  RecordingVideo& operator=(const RecordingVideo&) = delete;
  ~RecordingVideo() { EndFile(); }

  // A recording starts: its interval and the longest time a file covers.
  void Begin(int intervalMs, int segmentSeconds);
  // Adds the frame (to a new file when VideoSegments says so). False, with
  // the reason for the user in `problem`, when it could not be written; the
  // file then ends as it stands. `bytes` grows by what went to the disk.
  bool Add(const VideoFrame& frame, std::uint64_t& bytes, std::string& problem);
  // Finishes the open file in place (Stop, Pause, a halt). False when its
  // end could not be written: the file still plays to its last refresh.
  bool EndFile();

  // The file being written; empty when none is open.
  const std::string& OpenPath() const { return path_; }
  // The files whose end could not be written since the last call: they
  // play up to their last refresh, and a repair finds the rest.
  std::vector<std::string> TakeUnfinished() { return std::exchange(unfinished_, {}); }
  // Of all files so far: refreshes and the bytes they cost.
  std::uint64_t RefreshCount() const { return refreshes_; }
  std::uint64_t RefreshBytes() const { return refreshBytes_; }

 private:
  bool Open(const VideoFrame& frame, std::string& problem);
  bool CloseFile();

  std::optional<VideoSegments> segments_;
  std::string path_;
  std::vector<std::string> unfinished_;
  UniqueStdFile stream_;
  std::unique_ptr<OutputFile> out_;
  std::unique_ptr<MjpegAviWriter> writer_;
  std::uint32_t width_ = 0;
  std::uint32_t height_ = 0;
  std::uint64_t refreshes_ = 0;
  std::uint64_t refreshBytes_ = 0;
};

}  // namespace lumavex
