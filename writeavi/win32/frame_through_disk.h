#pragma once
// One frame's way into the video: decode the picture file, fit it into the
// video's size when it has another, show it, save it as the temporary BMP
// file and read that back, so that the reader's buffers hold exactly what
// the BMP file of the frame holds.
#include <memory>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "imaging/win32/frame_decoder.h"
#include "writeavi/encoding_display.h"
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
  // `view` shows the frames and hears the reader's messages; the temporary
  // file is `tempPath`.
  FrameThroughDisk(ConversionView& view, std::string tempPath);

  // From here on, frames are decoded ahead on another thread: frame i of
  // `paths` is the one Load(i, ...) asks for, in order from 0.
  void DecodeAhead(std::vector<std::string> paths);

  // From here on, frames of another size are fitted into this one.
  void FitInto(int width, int height);

  // Frame `index` of the list, read from `framePath`, and shown unless
  // `show` is false.
  FrameLoad Load(int index, const std::string& framePath, cDib& dib, bool show = true);

  // Brings the display up to the last frame loaded.
  void ShowLatest();
  // Selects entry `index` at once (where a conversion stopped).
  void Select(int index) { display_.Select(index); }

 private:
  ConversionView& view_;
  FrameDecoder decoder_;
  std::unique_ptr<FramePrefetcher> ahead_;
  EncodingDisplay display_;
  TempFrameFile temp_;
  int width_ = 0, height_ = 0;
  Image frame_;    // the last frame decoded
  Image scratch_;  // the frame being decoded
  Image fitted_;
};

}  // namespace lumavex
