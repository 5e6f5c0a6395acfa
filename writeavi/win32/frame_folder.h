#pragma once
// The frame files of a folder as a conversion lists them: once, with their
// sizes, so that the Motion JPEG video's size is known before anything is
// written. Paths are UTF-8 and reach the platform as UTF-16, so folders and
// names in any script work.
#include <string>

#include "writeavi/frame_names.h"

namespace lumavex {

inline constexpr const char* kFramePattern = "*.jpg";

// The "*.jpg" files of `folder` in the order they become frames (by name
// without regard to case); empty when the folder is missing or holds none.
FrameNames ListFrameFolder(const std::string& folder);

}  // namespace lumavex
