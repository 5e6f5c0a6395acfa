#pragma once
// Decodes frame files with the platform's picture services into the bytes of
// the BMP file a frame is saved as (24-bit, bottom-up, rows padded to 4).
// JPEG files go through the imaging component's JPEG decoder, looked up once
// per conversion instead of once per picture; any other picture file goes
// through the runtime's picture loader.
#include <windows.h>
#include <wincodec.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/com_ptr.h"
#include "platform/picture.h"

namespace lumavex {

class FrameDecoder {
 public:
  FrameDecoder();  // needs COM initialised on this thread
  FrameDecoder(const FrameDecoder&) = delete;
  FrameDecoder& operator=(const FrameDecoder&) = delete;

  // On success `bmp` holds the whole BMP file of the picture. False for a
  // file that cannot be read or is not a picture (or too large to hold);
  // `bmp` is then unspecified.
  bool Decode(const std::string& path, std::vector<std::uint8_t>& bmp);
  // The same for JPEG files only, through the imaging component alone (which
  // any thread with COM may use); false for any other file.
  bool DecodeJpeg(const std::string& path, std::vector<std::uint8_t>& bmp);
  // A JPEG file already in memory (`size` bytes at `data`).
  bool DecodeJpegData(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& bmp);

 private:
  bool DecodeJpegBytes(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& bmp);
  static bool DecodeOther(const std::string& path, std::vector<std::uint8_t>& bmp);

  ComPtr<IWICImagingFactory> factory_;
  ComPtr<IClassFactory> jpegDecoders_;
  std::vector<std::uint8_t> file_;     // the frame file's bytes
  std::vector<std::uint8_t> topDown_;  // the decoder's rows, top row first
};

// A bitmap picture of a 24-bit BMP file held in memory (as FrameDecoder
// gives them), for showing it; empty when the bytes are not such a file.
Picture PictureFromBmp24(const std::vector<std::uint8_t>& bmp);

}  // namespace lumavex
