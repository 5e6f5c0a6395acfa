#pragma once
// One frame's way into the video: decode the picture file, show it, save it
// as the temporary BMP file and read that back, so that the reader's buffers
// hold exactly what the BMP file of the frame holds.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "avi/encoding_display.h"
#include "avi/frame_decoder.h"
#include "avi/frame_prefetcher.h"
#include "avi/temp_frame_file.h"

namespace lumavex {

class cDib;

class FrameThroughDisk {
 public:
  // `list` holds the frame names, `preview` shows the frames; the temporary
  // file is `tempPath`.
  FrameThroughDisk(HWND list, HWND preview, std::string tempPath);

  // From here on, frames are decoded ahead on another thread: frame i of
  // `paths` is the one Load(i, ...) asks for, in order from 0.
  void DecodeAhead(std::vector<std::string> paths);

  // Frame `index` of the list, read from `framePath`. True when `dib` now
  // holds it. On false the user has been told why (a file that is not a
  // picture, a temporary file that cannot be written, or the reader's own
  // message) and `dib` must not be written for this frame.
  bool Load(int index, const std::string& framePath, cDib& dib);

  // Brings the display up to the last frame loaded.
  void ShowLatest() { display_.Latest(frame_); }

 private:
  FrameDecoder decoder_;
  std::unique_ptr<FramePrefetcher> ahead_;
  EncodingDisplay display_;
  TempFrameFile temp_;
  std::vector<std::uint8_t> frame_;    // BMP file of the last frame decoded
  std::vector<std::uint8_t> scratch_;  // the frame being decoded
};

}  // namespace lumavex
