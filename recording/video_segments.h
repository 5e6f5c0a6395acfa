#pragma once
// Which video file of a recording a frame goes into, and how long the
// picture before it stays on screen. Portable; the writing is
// recording/win32/video_frames.h's.
//
// A frame plays at its slot, counted from its file's first slot; slots
// without a frame between two frames are held (the earlier picture stays).
// A file ends when it would cover more than SegmentSeconds, and after a gap
// of more than kMaxHeldSlots slots (the window lost, a pause: End()), so
// that no file holds long stretches of nothing; the next frame begins a new
// one.
#include <cstdint>

namespace lumavex {

inline constexpr std::int64_t kMaxHeldSlots = 10;
// How often the file being written is brought up to date on the disk, in
// frame time: a killed program loses less than this of the video.
inline constexpr int kVideoRefreshMs = 5000;

struct VideoStep {
  bool newFile = false;    // end the open file, if any, and begin one with this frame
  std::uint32_t held = 0;  // slots to hold before this frame in the open file
};

class VideoSegments {
 public:
  VideoSegments(int intervalMs, int segmentSeconds);
  // The next frame, at `slot` (rising from frame to frame).
  VideoStep Next(std::int64_t slot);
  // The open file was ended: the next frame begins a new one.
  void End() { open_ = false; }

  // For the writer: one frame lasts Scale()/Rate() seconds, exactly the
  // interval; refresh every RefreshSlots() slots; at most SegmentSlots()
  // slots a file.
  std::uint32_t Rate() const { return rate_; }
  std::uint32_t Scale() const { return scale_; }
  std::uint32_t RefreshSlots() const;
  std::int64_t SegmentSlots() const { return segmentSlots_; }

 private:
  int intervalMs_;
  std::uint32_t rate_;
  std::uint32_t scale_;
  std::int64_t segmentSlots_;
  bool open_ = false;
  std::int64_t firstSlot_ = 0;
  std::int64_t lastSlot_ = 0;
};

}  // namespace lumavex
