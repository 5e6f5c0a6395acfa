#include "recording/win32/frame_outputs.h"

#include <vector>

#include "base/file.h"
#include "base/path.h"
#include "imaging/bmp_writer.h"
#include "imaging/image_jpeg.h"
#include "platform/files.h"

namespace lumavex {

bool FramePlacer::Place(const std::string& target,
                        const std::vector<std::pair<const void*, std::size_t>>& parts) const {
  const std::string temporary =
      scratchFolder_.empty() ? PartPathOf(target) : JoinPath(scratchFolder_, scratchName_);
  // WriteWholeFile leaves nothing behind when it fails.
  if (!WriteWholeFile(temporary, parts)) return false;
  if (ReplaceWithFinished(temporary, target)) return true;
  RemoveFileUtf8(temporary);
  return false;
}

bool BmpFrameFiles::Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) {
  // The frame's rows are the BMP file's rows, pad bytes (zero) included.
  const Bgr24Source& pixels = frame.pixels;
  const std::vector<std::uint8_t> headers = Bmp24Headers(pixels.width, pixels.height);
  const std::size_t size = pixels.stride * static_cast<std::size_t>(pixels.height);
  if (headers.empty() ||
      !placer_.Place(frame.paths.bmp, {{headers.data(), headers.size()}, {pixels.bits, size}})) {
    failure = UserMessage{"Failed to save to BMP:\r\n" + frame.paths.bmp, MessageIcon::Exclamation};
    return false;
  }
  bytes += headers.size() + size;
  return true;
}

bool FrameJpegEncoder::Encode(FrameToWrite& frame, UserMessage& failure) {
  encoded_.Clear();
  if (!EncodeBgr24Jpeg(frame.pixels, true, JpegFrameFiles::kQuality, encoded_)) {
    failure = UserMessage{kJpegWriteFailedMessage, MessageIcon::Exclamation};
    return false;
  }
  frame.jpeg = encoded_.data();
  frame.jpegSize = encoded_.size();
  return true;
}

bool JpegFrameFiles::Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) {
  // Only after a Reset can a frame of this number exist in a folder of its
  // own; it goes first, even if this write fails.
  if (frame.numbersReused) RemoveFileUtf8(frame.paths.jpg);
  if (frame.jpeg == nullptr || !placer_.Place(frame.paths.jpg, {{frame.jpeg, frame.jpegSize}})) {
    failure = UserMessage{kJpegWriteFailedMessage, MessageIcon::Exclamation};
    return false;
  }
  bytes += frame.jpegSize;
  return true;
}

bool VideoFrameFiles::Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) {
  VideoFrame picture;
  picture.jpeg = frame.jpeg;
  picture.size = frame.jpegSize;
  picture.width = static_cast<std::uint32_t>(frame.pixels.width);
  picture.height = static_cast<std::uint32_t>(frame.pixels.height);
  picture.slot = frame.slot;
  picture.videoPath = frame.paths.video;
  picture.numbersReused = frame.numbersReused;
  std::string problem;
  if (frame.jpeg == nullptr || !video_.Add(picture, bytes, problem)) {
    failure =
        UserMessage{problem.empty() ? "Failed to save into the video." : problem, MessageIcon::Exclamation};
    return false;
  }
  return true;
}

}  // namespace lumavex
