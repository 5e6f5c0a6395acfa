#include "recording/recording_video.h"

#include "recording/capture_schedule.h"
#include "recording/recording_settings.h"

namespace lumavex {
namespace {

// What one frame of the pane takes at most, for sizing a file's super
// index: far above a 163 x 123 JPEG.
constexpr std::uint64_t kLargestExpectedFrame = 64 * 1024;

}  // namespace

void RecordingVideo::Begin(int intervalMs, int segmentSeconds) {
  EndFile();
  segments_.emplace(intervalMs, segmentSeconds);
}

bool RecordingVideo::Open(const VideoFrame& frame, std::string& problem) {
  // Only a file this recording made before a Reset may be replaced; any
  // other file at the name stays, and the video cannot go on.
  if (frame.numbersReused) RemoveFileUtf8(frame.videoPath);
  stream_.reset(OpenNewSoleWriterUtf8(frame.videoPath));
  if (!stream_) {
    problem = FileExistsUtf8(frame.videoPath)
                  ? "Another file is in the way of the video:\r\n" + frame.videoPath
                  : "Failed to save into the video:\r\n" + frame.videoPath;
    return false;
  }
  path_ = frame.videoPath;
  // A small buffer: each frame is handed to the system anyway.
  out_ = std::make_unique<OutputFile>(stream_.get(), 64 * 1024);
  MjpegAviSettings settings;
  settings.width = frame.width;
  settings.height = frame.height;
  settings.framesPerSecond = segments_->Rate();
  settings.scale = segments_->Scale();
  settings.refreshSlots = segments_->RefreshSlots();
  const std::uint64_t slots = static_cast<std::uint64_t>(segments_->SegmentSlots());
  settings.superIndexSlots = SuperIndexSlotsFor(slots, settings.refreshSlots, slots * kLargestExpectedFrame);
  writer_ = std::make_unique<MjpegAviWriter>(*out_, settings);
  width_ = frame.width;
  height_ = frame.height;
  // The headers reach the disk at once: a file killed before its first
  // refresh is still one of ours, to repair.
  if (!writer_->Start() || !out_->Flush()) {
    problem = "Failed to save into the video:\r\n" + path_;
    return false;
  }
  return true;
}

bool RecordingVideo::Add(const VideoFrame& frame, std::uint64_t& bytes, std::string& problem) {
  if (!segments_) segments_.emplace(kDefaultCaptureIntervalMs, kDefaultSegmentSeconds);  // Begin was missed
  VideoStep step = segments_->Next(frame.slot);
  // A picture of another size cannot join the file's stream.
  if (writer_ && (frame.width != width_ || frame.height != height_)) step = VideoStep{true, 0};
  if (step.newFile || !writer_) {
    // A disk that failed the end of one file is not given the next.
    const std::string ending = path_;
    if (!CloseFile()) {
      problem = "Failed to save into the video:\r\n" + ending;
      EndFile();
      return false;
    }
    if (!Open(frame, problem)) {
      EndFile();
      return false;
    }
  }
  const std::uint64_t before = out_->Position();
  // Each frame is handed to the system at once: a killed program leaves it
  // whole on the disk, for a repair to find, even before the next refresh
  // indexes it.
  const bool ok = (step.held == 0 || writer_->HoldSlots(step.held)) &&
                  writer_->AddFrame(frame.jpeg, frame.size) && out_->Flush();
  if (!ok) {
    problem = "Failed to save into the video:\r\n" + path_;
    EndFile();
    return false;
  }
  bytes += out_->Position() - before;
  return true;
}

bool RecordingVideo::EndFile() {
  if (segments_) segments_->End();
  return CloseFile();
}

bool RecordingVideo::CloseFile() {
  if (!writer_) {
    stream_.reset();
    out_.reset();
    path_.clear();
    return true;
  }
  const bool ok = writer_->Finish();
  const bool holdsFrames = writer_->FrameCount() > 0;
  refreshes_ += writer_->RefreshCount();
  refreshBytes_ += writer_->RefreshBytes();
  writer_.reset();
  out_.reset();
  const bool closed = stream_ && std::fclose(stream_.release()) == 0;
  if (!(ok && closed)) {
    // A file without a frame holds nothing to repair.
    if (holdsFrames) {
      unfinished_.push_back(path_);
    } else {
      RemoveFileUtf8(path_);
    }
  }
  path_.clear();
  return ok && closed;
}

}  // namespace lumavex
