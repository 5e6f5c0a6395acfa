#pragma once
// Decodes JPG frame files into pictures in memory through the imaging
// component's JPEG decoder, looked up once per conversion instead of once
// per picture. Every frame passes the JPEG frame check first: a file that is
// no plausible JPEG, or that claims a size no frame may have, never reaches
// the decoder. Memory a large frame took is given back after it.
//
// Any thread with COM may use a decoder of its own.
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/image.h"
#include "platform/com_ptr.h"

namespace lumavex {

class FrameDecoder {
 public:
  FrameDecoder();  // needs COM initialised on this thread
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;

  // Frame files larger than this are not read: no frame the check lets
  // through comes near it.
  static constexpr std::uint64_t kMaxFileBytes = std::uint64_t{256} << 20;

  // On success `image` holds the picture. False for a file that cannot be
  // read, fails the frame check or does not decode (or is too large to
  // hold); `image` is then unspecified. Bytes after the image are ignored.
  bool DecodeFile(const std::string& path, Image& image);
  // A JPEG file already in memory (`size` bytes at `data`).
  bool Decode(const std::uint8_t* data, std::size_t size, Image& image);

 private:
  bool DecodeChecked(const std::uint8_t* data, std::size_t size, Image& image);

  ComPtr<IWICImagingFactory> factory_;
  ComPtr<IClassFactory> jpegDecoders_;
  std::vector<std::uint8_t> file_;     // the frame file's bytes
  std::vector<std::uint8_t> topDown_;  // the decoder's rows, top row first
};

}  // namespace lumavex
