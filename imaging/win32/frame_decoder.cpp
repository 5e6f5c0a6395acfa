#include "imaging/win32/frame_decoder.h"

#include <cstring>
#include <limits>
#include <new>

#include "imaging/jpeg_frame_check.h"
#include "imaging/bmp_writer.h"
#include "platform/files.h"
#include "platform/gdi.h"

namespace lumavex {
namespace {

bool IsJpeg(const std::uint8_t* data, std::size_t size) {
  return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// The BMP file of top-down rows: headers, then the rows bottom row first.
void AssembleBmp(const std::vector<std::uint8_t>& headers, const std::uint8_t* topDown, std::uint32_t width,
                 std::uint32_t height, std::vector<std::uint8_t>& bmp) {
  const std::size_t stride = Bmp24RowBytes(width);
  const std::size_t pixels = static_cast<std::size_t>(width) * 3;
  bmp.resize(headers.size() + stride * height);
  std::memcpy(bmp.data(), headers.data(), headers.size());
  std::uint8_t* out = bmp.data() + headers.size();
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = out + (height - 1 - y) * stride;
    std::memcpy(row, topDown + y * stride, pixels);
    std::memset(row + pixels, 0, stride - pixels);
  }
}

// Sizes whose file the reader can take: the image size must fit its 32-bit
// field with room for the headers.
bool FitsBmp(std::uint64_t width, std::uint64_t height) {
  const std::uint64_t stride = Bmp24RowBytes(static_cast<std::int64_t>(width));
  return width > 0 && height > 0 && stride > 0 &&
         stride * height <=
             static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()) - kBmpHeadersSize;
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

bool FrameDecoder::Decode(const std::string& path, std::vector<std::uint8_t>& bmp) {
  try {
    if (!ReadWholeFile(path, file_)) return false;
    // A JPEG file that is cut short (or lacks its frame header) is not
    // decoded partly by another loader: it is an unreadable frame.
    if (IsJpeg(file_.data(), file_.size())) {
      if (!CheckJpegFrame(file_.data(), file_.size()).readable) return false;
      if (DecodeJpegBytes(file_.data(), file_.size(), bmp)) return true;
    }
    return DecodeOther(path, bmp);
  } catch (const std::bad_alloc&) {
    // A picture too large for memory is not a frame we can write.
    return false;
  }
}

bool FrameDecoder::DecodeJpeg(const std::string& path, std::vector<std::uint8_t>& bmp) {
  try {
    return ReadWholeFile(path, file_) && DecodeJpegBytes(file_.data(), file_.size(), bmp);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool FrameDecoder::DecodeJpegData(const std::uint8_t* data, std::size_t size,
                                  std::vector<std::uint8_t>& bmp) {
  try {
    return DecodeJpegBytes(data, size, bmp);
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool FrameDecoder::DecodeJpegBytes(const std::uint8_t* data, std::size_t size,
                                   std::vector<std::uint8_t>& bmp) {
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
      FAILED(frame->GetPixelFormat(&format)) || !FitsBmp(width, height))
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
  const std::uint32_t stride = Bmp24RowBytes(width);
  topDown_.resize(static_cast<std::size_t>(stride) * height);
  if (FAILED(source->CopyPixels(nullptr, stride, static_cast<UINT>(topDown_.size()), topDown_.data())))
    return false;
  const std::vector<std::uint8_t> headers =
      Bmp24Headers(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height));
  if (headers.empty()) return false;
  AssembleBmp(headers, topDown_.data(), width, height, bmp);
  return true;
}

bool FrameDecoder::DecodeOther(const std::string& path, std::vector<std::uint8_t>& bmp) {
  Picture picture = LoadPicture(path);
  const SIZE size = PictureSizePixels(picture.get());
  if (!picture || !FitsBmp(static_cast<std::uint64_t>(size.cx), static_cast<std::uint64_t>(size.cy)))
    return false;
  std::string rows;
  if (!ReadBitmapPixels24(PictureBitmap(picture.get()), size.cx, size.cy, rows)) return false;
  const std::vector<std::uint8_t> headers = Bmp24Headers(size.cx, size.cy);
  if (headers.empty()) return false;
  bmp.assign(headers.begin(), headers.end());
  bmp.insert(bmp.end(), rows.begin(), rows.end());
  return true;
}

Picture PictureFromBmp24(const std::vector<std::uint8_t>& bmp) {
  if (bmp.size() < kBmpHeadersSize) return {};
  BITMAPINFO info{};
  std::memcpy(&info.bmiHeader, bmp.data() + 14, sizeof info.bmiHeader);
  const std::size_t stride = Bmp24RowBytes(info.bmiHeader.biWidth);
  if (info.bmiHeader.biBitCount != 24 || info.bmiHeader.biHeight <= 0 || stride == 0 ||
      stride * static_cast<std::size_t>(info.bmiHeader.biHeight) != bmp.size() - kBmpHeadersSize)
    return {};
  void* bits = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  std::memcpy(bits, bmp.data() + kBmpHeadersSize, bmp.size() - kBmpHeadersSize);
  return PictureOwningBitmap(std::move(bitmap));
}

}  // namespace lumavex
