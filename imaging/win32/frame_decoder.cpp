#include "imaging/win32/frame_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "imaging/jpeg_frame_check.h"
#include "imaging/win32/image_picture.h"
#include "platform/files.h"
#include "platform/picture.h"

namespace lumavex {
namespace {

bool IsJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

}  // namespace

FrameDecoder::FrameDecoder() {
  // Either may fail (no COM, no imaging component): every frame then goes
  // through the runtime's picture loader.
  if (FAILED(::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                __uuidof(IWICImagingFactory), factory_.put_void())))
    factory_.reset();
  if (FAILED(::CoGetClassObject(CLSID_WICJpegDecoder, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                jpegDecoders_.put_void())))
    jpegDecoders_.reset();
}

bool FrameDecoder::Decode(const std::string& path, Image& image) {
  try {
    if (!ReadWholeFile(path, file_)) return false;
    // A JPEG file that is cut short (or lacks its frame header) is not
    // decoded partly by another loader: it is an unreadable frame.
    if (IsJpeg(file_.data(), file_.size())) {
      if (!CheckJpegFrame(file_.data(), file_.size()).readable) return false;
      if (DecodeJpegFile(file_.data(), file_.size(), image)) return true;
    }
    return DecodeOther(path, image);
  } catch (const std::bad_alloc&) {
    // A picture too large for memory is not a frame we can write.
    return false;
  }
}

bool FrameDecoder::DecodeJpeg(const std::string& path, Image& image) {
  try {
    return ReadWholeFile(path, file_) && DecodeJpegFile(file_.data(), file_.size(), image);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool FrameDecoder::DecodeJpeg(const std::uint8_t* data, std::size_t size, Image& image) {
  try {
    return DecodeJpegFile(data, size, image);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool FrameDecoder::DecodeJpegFile(const std::uint8_t* data, std::size_t size, Image& image) {
  if (!IsJpeg(data, size) || !CheckJpegFrame(data, size).readable || !factory_ || !jpegDecoders_ ||
      size > std::numeric_limits<DWORD>::max())
    return false;
  ComPtr<IWICStream> stream;
  // The stream only reads the bytes; the imaging API takes them as writable.
  if (FAILED(factory_->CreateStream(stream.put())) ||
      FAILED(stream->InitializeFromMemory(const_cast<std::uint8_t*>(data), static_cast<DWORD>(size))))
    return false;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(jpegDecoders_->CreateInstance(nullptr, __uuidof(IWICBitmapDecoder), decoder.put_void())) ||
      FAILED(decoder->Initialize(stream.get(), WICDecodeMetadataCacheOnDemand)))
    return false;
  ComPtr<IWICBitmapFrameDecode> frame;
  UINT width = 0, height = 0;
  WICPixelFormatGUID format{};
  if (FAILED(decoder->GetFrame(0, frame.put())) || FAILED(frame->GetSize(&width, &height)) ||
      FAILED(frame->GetPixelFormat(&format)) || width > 0x7FFFFFFF || height > 0x7FFFFFFF ||
      !image.Resize(static_cast<int>(width), static_cast<int>(height)))
    return false;

  // Colour JPEGs decode straight to blue-green-red; grey or CMYK ones are converted.
  IWICBitmapSource* source = frame.get();
  ComPtr<IWICFormatConverter> converter;
  if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    if (FAILED(factory_->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                                     nullptr, 0.0, WICBitmapPaletteTypeCustom)))
      return false;
    source = converter.get();
  }
  // The decoder hands rows top first and the picture keeps them bottom
  // first: a band of rows at a time goes through a small buffer, so a large
  // frame is never held twice here.
  const std::size_t stride = image.stride();
  const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
  const UINT band = static_cast<UINT>(std::max<std::size_t>(1, (std::size_t{1} << 20) / stride));
  topDown_.resize(stride * std::min(band, height));
  for (UINT top = 0; top < height; top += band) {
    const UINT rows = std::min(band, height - top);
    const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
    if (FAILED(source->CopyPixels(&rect, static_cast<UINT>(stride), static_cast<UINT>(stride * rows),
                                  topDown_.data())))
      return false;
    for (UINT y = 0; y < rows; ++y) {
      std::uint8_t* row = image.RowFromTop(static_cast<int>(top + y));
      std::memcpy(row, &topDown_[y * stride], pixelBytes);
      std::memset(row + pixelBytes, 0, stride - pixelBytes);
    }
  }
  return true;
}

bool FrameDecoder::DecodeOther(const std::string& path, Image& image) {
  const Picture picture = LoadPicture(path);
  return picture && ImageOfPicture(picture.get(), image);
}

}  // namespace lumavex
