#pragma once
// Decodes frame files with the platform's picture services into pictures in
// memory. JPEG files go through the imaging component's JPEG decoder, looked
// up once per conversion instead of once per picture; any other picture file
// goes through the runtime's picture loader.
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

  // On success `image` holds the picture. False for a file that cannot be
  // read or is not a picture (or too large to hold); `image` is then
  // unspecified.
  bool Decode(const std::string& path, Image& image);
  // The same for JPEG files only, through the imaging component alone (which
  // any thread with COM may use); false for any other file.
  bool DecodeJpeg(const std::string& path, Image& image);
  // A JPEG file already in memory (`size` bytes at `data`).
  bool DecodeJpeg(const std::uint8_t* data, std::size_t size, Image& image);

 private:
  bool DecodeJpegFile(const std::uint8_t* data, std::size_t size, Image& image);
  static bool DecodeOther(const std::string& path, Image& image);

  ComPtr<IWICImagingFactory> factory_;
  ComPtr<IClassFactory> jpegDecoders_;
  std::vector<std::uint8_t> file_;     // the frame file's bytes
  std::vector<std::uint8_t> topDown_;  // the decoder's rows, top row first
};

}  // namespace lumavex
