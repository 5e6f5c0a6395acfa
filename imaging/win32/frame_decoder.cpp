#include "imaging/win32/frame_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "base/release_if_large.h"
#include "imaging/jpeg_frame_check.h"
#include "platform/files.h"

namespace lumavex {
namespace {

// One decoded row into a picture's row: 3 bytes a pixel as they are, grey
// spread to blue, green and red, 4 bytes with the fourth left out; the pad
// bytes zero.
void StoreRow(const std::uint8_t* in, UINT bytesPerPixel, UINT width, std::uint8_t* out, std::size_t stride) {
  const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
  if (bytesPerPixel == 3) {
    std::memcpy(out, in, pixelBytes);
  } else {
    for (UINT x = 0; x < width; ++x, in += bytesPerPixel, out += 3) {
      out[0] = in[0];
      out[1] = in[bytesPerPixel == 1 ? 0 : 1];
      out[2] = in[bytesPerPixel == 1 ? 0 : 2];
    }
    out -= pixelBytes;
  }
  std::memset(out + pixelBytes, 0, stride - pixelBytes);
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

bool FrameDecoder::DecodeFile(const std::string& path, Image& image) {
  bool decoded = false;
  try {
    decoded = ReadWholeFile(path, file_, kMaxFileBytes) && Decode(file_.data(), file_.size(), image);
  } catch (const std::bad_alloc&) {
  }
  ReleaseIfLarge(file_);
  return decoded;
}

bool FrameDecoder::Decode(const std::uint8_t* data, std::size_t size, Image& image) {
  const JpegFrameInfo info = CheckJpegFrame(data, size);
  if (!info.readable) return false;
  try {
    return DecodeChecked(data, info.length, image);
  } catch (const std::bad_alloc&) {
    // A picture too large for memory is not a frame we can write.
    return false;
  }
}

bool FrameDecoder::DecodeChecked(const std::uint8_t* data, std::size_t size, Image& image) {
  if (!factory_ || !jpegDecoders_ || size > std::numeric_limits<DWORD>::max()) return false;
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

  // Colour JPEGs decode straight to blue-green-red and grey ones are spread
  // here; any other (CMYK) goes through a converter, to 24 bits or, where
  // the system's converters lack that, to 32.
  IWICBitmapSource* source = frame.get();
  ComPtr<IWICFormatConverter> converter;
  UINT sourceBytes = 3;  // per pixel
  if (IsEqualGUID(format, GUID_WICPixelFormat8bppGray)) {
    sourceBytes = 1;
  } else if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    for (const WICPixelFormatGUID* target : {&GUID_WICPixelFormat24bppBGR, &GUID_WICPixelFormat32bppBGR}) {
      BYTE probe[4];
      const WICRect pixel{0, 0, 1, 1};
      converter.reset();
      if (SUCCEEDED(factory_->CreateFormatConverter(converter.put())) &&
          SUCCEEDED(converter->Initialize(frame.get(), *target, WICBitmapDitherTypeNone, nullptr, 0.0,
                                          WICBitmapPaletteTypeCustom)) &&
          SUCCEEDED(converter->CopyPixels(&pixel, sizeof probe, sizeof probe, probe))) {
        sourceBytes = IsEqualGUID(*target, GUID_WICPixelFormat24bppBGR) ? 3 : 4;
        break;
      }
      converter.reset();
    }
    if (!converter) return false;
    source = converter.get();
  }
  // The decoder hands rows top first and the picture keeps them bottom
  // first: a band of rows at a time goes through a small buffer, so a large
  // frame is never held twice here.
  const std::size_t sourceStride = (static_cast<std::size_t>(width) * sourceBytes + 3) & ~std::size_t{3};
  const UINT band = static_cast<UINT>(std::max<std::size_t>(1, (std::size_t{1} << 20) / sourceStride));
  topDown_.resize(sourceStride * std::min(band, height));
  for (UINT top = 0; top < height; top += band) {
    const UINT rows = std::min(band, height - top);
    const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
    if (FAILED(source->CopyPixels(&rect, static_cast<UINT>(sourceStride),
                                  static_cast<UINT>(sourceStride * rows), topDown_.data())))
      return false;
    for (UINT y = 0; y < rows; ++y)
      StoreRow(&topDown_[y * sourceStride], sourceBytes, width, image.RowFromTop(static_cast<int>(top + y)),
               image.stride());
  }
  ReleaseIfLarge(topDown_);
  return true;
}

}  // namespace lumavex
