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

bool JpegFrameFiles::Write(const FrameToWrite& frame, std::uint64_t& bytes, UserMessage& failure) {
  // Only after a Reset can a frame of this number exist in a folder of its
  // own; it goes first, even if this write fails.
  if (frame.numbersReused) RemoveFileUtf8(frame.paths.jpg);
  encoded_.Clear();
  if (!EncodeBgr24Jpeg(frame.pixels, true, kQuality, encoded_) ||
      !placer_.Place(frame.paths.jpg, {{encoded_.data(), encoded_.size()}})) {
    failure = UserMessage{kJpegWriteFailedMessage, MessageIcon::Exclamation};
    return false;
  }
  bytes += encoded_.size();
  return true;
}

}  // namespace lumavex
