#include "imaging/jpeg/jpeg_library.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "base/part_file.h"

#include "imaging/jpeg/jpeg_encoder.h"
#include "imaging/jpeg/jpeg_output_buffer.h"

namespace {

using lumavex::PartFile;
using lumavex::jpeg::EncodeResult;
using lumavex::jpeg::EncodeSettings;
using lumavex::jpeg::JpegOutputBuffer;
using lumavex::jpeg::PixelOrder;
using lumavex::jpeg::SourceImage;
using lumavex::jpeg::Subsampling;

// Encoded data beyond this goes to the file while encoding goes on, so huge
// pictures need no buffer of their whole size; ordinary frames are written
// with a single fwrite at the end.
constexpr std::size_t kBufferedBytesLimit = std::size_t{8} << 20;

int CheckRecord(const JpegCoreProperties& p) {
  if (p.DIBBytes == nullptr) return JPEG_ERR_NO_PIXELS;
  // Compare without negating, so INT_MIN cannot overflow.
  if (p.DIBWidth <= 0 || p.DIBWidth > JPEG_MAX_DIMENSION || p.DIBHeight == 0 ||
      p.DIBHeight > JPEG_MAX_DIMENSION || p.DIBHeight < -JPEG_MAX_DIMENSION) {
    return JPEG_ERR_BAD_SIZE;
  }
  const int height = p.DIBHeight < 0 ? -p.DIBHeight : p.DIBHeight;
  if (p.JPGWidth != p.DIBWidth || p.JPGHeight != height) return JPEG_ERR_SIZE_MISMATCH;
  if (p.DIBPadBytes < 0 || p.DIBPadBytes > 3) return JPEG_ERR_BAD_PADDING;
  const bool inputOk = p.DIBChannels == 3 && (p.DIBColor == JPEG_COLOR_BGR || p.DIBColor == JPEG_COLOR_RGB);
  const bool colourOutput =
      p.JPGChannels == 3 && p.JPGColor == JPEG_COLOR_YCBCR &&
      (p.JPGSubsampling == JPEG_SUBSAMPLING_444 || p.JPGSubsampling == JPEG_SUBSAMPLING_422 ||
       p.JPGSubsampling == JPEG_SUBSAMPLING_420);
  const bool grayOutput = p.JPGChannels == 1 && p.JPGColor == JPEG_COLOR_GRAYSCALE;
  if (!inputOk || !(colourOutput || grayOutput)) return JPEG_ERR_BAD_FORMAT;
  if (p.jquality < 1 || p.jquality > 100) return JPEG_ERR_BAD_QUALITY;
  if (p.JPGFile == nullptr || p.JPGFile[0] == '\0') return JPEG_ERR_NO_FILE_NAME;
  // The pixel memory must be addressable as one span.
  const std::uint64_t rowBytes =
      3u * static_cast<std::uint64_t>(p.DIBWidth) + static_cast<std::uint64_t>(p.DIBPadBytes);
  if (rowBytes * static_cast<std::uint64_t>(height) > static_cast<std::uint64_t>(PTRDIFF_MAX)) {
    return JPEG_ERR_BAD_SIZE;
  }
  return JPEG_OK;
}

Subsampling SubsamplingOf(int value) {
  switch (value) {
    case JPEG_SUBSAMPLING_444:
      return Subsampling::Full444;
    case JPEG_SUBSAMPLING_422:
      return Subsampling::Horizontal422;
    default:
      return Subsampling::Both420;
  }
}

bool WriteToFile(void* context, const unsigned char* data, std::size_t size) {
  return static_cast<PartFile*>(context)->Write(data, size);
}

int WriteWholeImage(const JpegCoreProperties& p) {
  SourceImage image;
  image.pixels = p.DIBBytes;
  image.width = p.DIBWidth;
  image.height = p.DIBHeight < 0 ? -p.DIBHeight : p.DIBHeight;
  image.bottomUp = p.DIBHeight < 0;
  image.rowBytes = 3 * static_cast<std::ptrdiff_t>(p.DIBWidth) + p.DIBPadBytes;
  image.order = p.DIBColor == JPEG_COLOR_RGB ? PixelOrder::Rgb : PixelOrder::Bgr;

  EncodeSettings settings;
  settings.quality = p.jquality;
  settings.grayscale = p.JPGChannels == 1;
  settings.subsampling = SubsamplingOf(p.JPGSubsampling);

  PartFile file(p.JPGFile);
  if (!file.Open()) return JPEG_ERR_FILE_OPEN;

  // A guess that holds most photographs at ordinary qualities; the buffer
  // grows when it does not. Beyond the sink threshold the data goes to the
  // file anyway, so more is never reserved up front.
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  JpegOutputBuffer buffer(std::min(pixels / 4 + 2048, kBufferedBytesLimit + 65536));
  buffer.SetSink(WriteToFile, &file, kBufferedBytesLimit);
  switch (lumavex::jpeg::EncodeJpeg(image, settings, buffer)) {
    case EncodeResult::Ok:
      break;
    case EncodeResult::OutOfMemory:
      return JPEG_ERR_OUT_OF_MEMORY;
    case EncodeResult::InvalidArgument:
      return JPEG_ERR_BAD_SIZE;  // CheckRecord has already ruled this out
    case EncodeResult::OutputFailed:
      return JPEG_ERR_FILE_WRITE;
  }
  if (!file.Write(buffer.data(), buffer.size()) || !file.Commit()) return JPEG_ERR_FILE_WRITE;
  return JPEG_OK;
}

}  // namespace

extern "C" int jpegInit(JpegCoreProperties* props) {
  if (props == nullptr) return JPEG_ERR_NULL_RECORD;
  props->DIBChannels = 3;
  props->DIBColor = JPEG_COLOR_BGR;
  props->JPGChannels = 3;
  props->JPGColor = JPEG_COLOR_YCBCR;
  props->JPGSubsampling = JPEG_SUBSAMPLING_420;
  props->jquality = JPEG_DEFAULT_QUALITY;
  props->Internal = nullptr;
  return JPEG_OK;
}

extern "C" int jpegWrite(JpegCoreProperties* props, int ioType) {
  if (props == nullptr) return JPEG_ERR_NULL_RECORD;
  if (ioType != JPEG_JFILE_WRITEWHOLEIMAGE) return JPEG_ERR_BAD_IOTYPE;
  const int check = CheckRecord(*props);
  if (check != JPEG_OK) return check;
  try {
    return WriteWholeImage(*props);
  } catch (const std::bad_alloc&) {
    return JPEG_ERR_OUT_OF_MEMORY;
  }
}

extern "C" int jpegFree(JpegCoreProperties* props) {
  if (props == nullptr) return JPEG_ERR_NULL_RECORD;
  // Nothing is attached to the record between calls at present; the pointer
  // is cleared so a record can be initialised again.
  props->Internal = nullptr;
  return JPEG_OK;
}

extern "C" const char* jpegResultText(int code) {
  switch (code) {
    case JPEG_OK:
      return "success";
    case JPEG_ERR_NULL_RECORD:
      return "no properties record";
    case JPEG_ERR_NO_PIXELS:
      return "no pixel memory";
    case JPEG_ERR_BAD_SIZE:
      return "picture size out of range";
    case JPEG_ERR_SIZE_MISMATCH:
      return "JPEG size differs from the picture size";
    case JPEG_ERR_BAD_PADDING:
      return "row padding out of range";
    case JPEG_ERR_BAD_FORMAT:
      return "unsupported channel or colour layout";
    case JPEG_ERR_BAD_QUALITY:
      return "quality outside 1..100";
    case JPEG_ERR_BAD_IOTYPE:
      return "unsupported I/O type";
    case JPEG_ERR_NO_FILE_NAME:
      return "no file name";
    case JPEG_ERR_FILE_OPEN:
      return "cannot create the file";
    case JPEG_ERR_FILE_WRITE:
      return "cannot write the file";
    case JPEG_ERR_OUT_OF_MEMORY:
      return "out of memory";
    default:
      return "unknown result";
  }
}
