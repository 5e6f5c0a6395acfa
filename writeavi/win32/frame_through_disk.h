#pragma once
// One frame's way into the video: decode the picture file, fit it into the
// video's size when it has another, save it as the temporary BMP file and
// read that back, so that the reader's buffers hold exactly what the BMP
// file of the frame holds.
#include <functional>
#include <memory>
#include <string>

#include "imaging/image.h"
#include "imaging/win32/frame_decoder.h"
#include "writeavi/win32/frame_prefetcher.h"
#include "writeavi/win32/temp_frame_file.h"

namespace lumavex {

class cDib;
class ConversionView;

enum class FrameLoad {
  Loaded,      // `dib` holds the frame
  Fitted,      // `dib` holds the frame, fitted into the video's size
  Unreadable,  // not a picture (or not readable); `dib` is untouched
  Failed,      // the temporary file could not be written or read back; the user has been told
};

class FrameThroughDisk {
 public:
  // `view` hears the reader's messages; the temporary file is `tempPath`.
  FrameThroughDisk(ConversionView& view, std::string tempPath);

  // From here on, frames are decoded ahead on another thread: frames
  // `first` to `count` - 1, at the paths `pathOf` makes (on that thread),
  // which Load then asks for in that order.
  void DecodeAhead(int first, int count, std::function<std::string(int)> pathOf);

  // From here on, frames of another size are fitted into this one.
  void FitInto(int width, int height);

  // Frame `index` of the list, read from `framePath`.
  FrameLoad Load(int index, const std::string& framePath, cDib& dib);

  // The picture of the last frame loaded; null before the first.
  const Image* Latest() const { return frame_.empty() ? nullptr : &frame_; }

 private:
  ConversionView& view_;
  FrameDecoder decoder_;
  std::unique_ptr<FramePrefetcher> ahead_;
  int aheadFrom_ = 0;  // the first frame decoded ahead
  TempFrameFile temp_;
  int width_ = 0, height_ = 0;
  Image frame_;    // the last frame decoded
  Image scratch_;  // the frame being decoded
  Image fitted_;
};

}  // namespace lumavex
