#include "imaging/win32/jpeg_frame_writer.h"

#include "base/message.h"

namespace lumavex {
namespace {

enum class JpegOutcome { Written, InitFailed, WriteFailed };

// One encoding through the library: init, write, free. `initResult` gets
// the library's code when it cannot start.
JpegOutcome Encode(const Bgr24Source& pixels, const std::string& fileName, int quality,
                   const JpegLibraryCalls& library, int& initResult) {
  JpegCoreProperties props{};  // zero-filled, as jpegInit expects
  initResult = library.init(&props);
  if (initResult != JPEG_OK) return JpegOutcome::InitFailed;

  // Released on every path from here on.
  struct Release {
    const JpegLibraryCalls& library;
    JpegCoreProperties& props;
    ~Release() { library.free(&props); }
  } release{library, props};

  // Pixels that are not there (a section whose DIB could not be made) count
  // as a failed write: the encoder must not be pointed at address 0.
  const std::size_t rowBytes = 3 * static_cast<std::size_t>(pixels.width);
  if (!pixels.bits || pixels.width <= 0 || pixels.height <= 0 || pixels.stride < rowBytes ||
      pixels.stride - rowBytes > 3)
    return JpegOutcome::WriteFailed;
  props.DIBWidth = pixels.width;
  props.DIBHeight = -pixels.height;  // negative: rows lie bottom-up
  props.DIBBytes = pixels.bits;
  props.DIBPadBytes = static_cast<int>(pixels.stride - rowBytes);

  // UTF-8, as the library takes it; outlives the library's use of it.
  props.JPGFile = fileName.c_str();
  props.JPGWidth = pixels.width;
  props.JPGHeight = pixels.height;
  props.jquality = quality;

  return library.write(&props, JPEG_JFILE_WRITEWHOLEIMAGE) == JPEG_OK ? JpegOutcome::Written
                                                                      : JpegOutcome::WriteFailed;
}

}  // namespace

const JpegLibraryCalls kJpegLibrary{jpegInit, jpegWrite, jpegFree};

bool SavePictureAsJpeg(cDIBSection& section, const std::string& fileName, int quality) {
  return SavePictureAsJpeg(section, fileName, quality, kJpegLibrary);
}

bool SavePictureAsJpeg(cDIBSection& section, const std::string& fileName, int quality,
                       const JpegLibraryCalls& library) {
  Bgr24Source pixels;
  if (section.DIBSectionBitsPtr()) {
    // Drawing into the section (the picture copy) lands before the encoder reads it.
    ::GdiFlush();
    pixels = Bgr24Source{section.DIBSectionBitsPtr(), static_cast<std::size_t>(section.BytesPerScanLine()),
                         section.Width(), section.Height()};
  }
  int initResult = JPEG_OK;
  switch (Encode(pixels, fileName, quality, library, initResult)) {
    case JpegOutcome::Written:
      return true;
    case JpegOutcome::InitFailed:
      ShowMessage(kJpegInitFailedMessage + std::to_string(initResult), MessageIcon::Exclamation);
      return false;
    case JpegOutcome::WriteFailed:
      break;
  }
  ShowMessage(kJpegWriteFailedMessage, MessageIcon::Exclamation);
  return false;
}

bool WriteJpegFrame(const Bgr24Source& bottomUpPixels, const std::string& fileName, int quality,
                    const JpegLibraryCalls& library) {
  int initResult = JPEG_OK;
  return Encode(bottomUpPixels, fileName, quality, library, initResult) == JpegOutcome::Written;
}

}  // namespace lumavex
