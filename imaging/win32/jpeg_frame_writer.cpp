#include "imaging/win32/jpeg_frame_writer.h"

#include "base/message.h"

namespace lumavex {

const JpegLibraryCalls kJpegLibrary{jpegInit, jpegWrite, jpegFree};

bool SavePictureAsJpeg(cDIBSection& section, const std::string& fileName, int quality) {
  return SavePictureAsJpeg(section, fileName, quality, kJpegLibrary);
}

bool SavePictureAsJpeg(cDIBSection& section, const std::string& fileName, int quality,
                       const JpegLibraryCalls& library) {
  JpegCoreProperties props{};  // zero-filled, as jpegInit expects
  const int initResult = library.init(&props);
  if (initResult != JPEG_OK) {
    ShowMessage(kJpegInitFailedMessage + std::to_string(initResult), MessageIcon::Exclamation);
    return false;
  }

  // Released on every path from here on, after any message.
  struct Release {
    const JpegLibraryCalls& library;
    JpegCoreProperties& props;
    ~Release() { library.free(&props); }
  } release{library, props};

  bool written = false;
  // A section whose DIB could not be made has no pixels; the encoder must not
  // be pointed at address 0, so that counts as a failed write.
  if (section.DIBSectionBitsPtr()) {
    // Drawing into the section (the picture copy) lands before the encoder reads it.
    ::GdiFlush();
    props.DIBWidth = section.Width();
    props.DIBHeight = -section.Height();  // negative: rows lie bottom-up
    props.DIBBytes = section.DIBSectionBitsPtr();
    props.DIBPadBytes = section.BytesPerScanLine() - 3 * section.Width();

    // UTF-8, as the library takes it; outlives the library's use of it.
    props.JPGFile = fileName.c_str();
    props.JPGWidth = section.Width();
    props.JPGHeight = section.Height();
    props.jquality = quality;

    written = library.write(&props, JPEG_JFILE_WRITEWHOLEIMAGE) == JPEG_OK;
  }
  if (!written) ShowMessage(kJpegWriteFailedMessage, MessageIcon::Exclamation);
  return written;
}

}  // namespace lumavex
