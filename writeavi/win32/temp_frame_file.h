#pragma once
// The temporary BMP file every frame passes through on its way into the
// video. It stays open for the whole conversion and is rewritten in place
// for each frame: opening, truncating and closing a file per frame costs
// more than converting a small frame. Others may open it by name to read it
// at any time; it stays in the folder afterwards with the last frame.
#include <cstdint>
#include <string>

#include "imaging/image.h"
#include "platform/kernel.h"

namespace lumavex {

class TempFrameFile {
 public:
  explicit TempFrameFile(std::string path) : path_(std::move(path)) {}

  // Makes the BMP file of `picture` the whole content of the file (creating
  // it, or replacing what an earlier conversion left, on the first write).
  // False when the file cannot be created or written.
  bool Write(const Image& picture);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  UniqueFile file_;
  std::uint64_t length_ = 0;  // of the file as last written
};

}  // namespace lumavex
