#pragma once
// The two ways a listed folder becomes a video, after the target is chosen.
// Each reports everything through the view and leaves either a whole video
// at `target` or, after a failure it has reported, nothing it wrote.
#include <cstdint>
#include <string>
#include <vector>

#include "writeavi/win32/convert_folder.h"
#include "writeavi/win32/frame_folder.h"

namespace lumavex {

struct ConversionInput {
  const ConversionRequest& request;
  const std::vector<FrameFile>& frames;
  const std::string& target;
  ConversionView& view;
};

// Each returns the frames of the whole video it put at the target, 0 when
// it put none there.

// Through the platform's AVI services: each frame decoded, saved as the
// temporary BMP file, read back and written to the compressed stream.
std::uint32_t WriteThroughAviServices(const ConversionInput& in, const AviChoices& choices);

// Each JPG copied as one key frame of a Motion JPEG AVI.
std::uint32_t WriteMotionJpeg(const ConversionInput& in);

}  // namespace lumavex
