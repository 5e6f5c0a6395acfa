#pragma once
// Writes the pixels of a cDIBSection as one JPEG file through the JPEG
// library, reading them in place (bottom-up rows, blue-green-red, padded to
// 4 bytes). The file is written whole or not at all.
#include <string>

#include "imaging/image.h"
#include "imaging/win32/dib_section.h"
#include "imaging/jpeg/jpeg_library.h"

namespace lumavex {

// The three library operations the writer uses. Tests substitute their own
// to choose results and watch the record; the program uses kJpegLibrary.
struct JpegLibraryCalls {
  int (*init)(JpegCoreProperties*);
  int (*write)(JpegCoreProperties*, int ioType);
  int (*free)(JpegCoreProperties*);
};
extern const JpegLibraryCalls kJpegLibrary;

inline constexpr const char* kJpegInitFailedMessage = "Failed to initialise the JPEG library: ";
inline constexpr const char* kJpegWriteFailedMessage =
    "Failed to save to JPG, seems webcam window is closed or no space left.";

// Encodes the section at `quality` (1..100) into fileName, a UTF-8 path,
// which the library takes as it is. On failure shows one warning and returns
// false: when the library cannot start ("...library: " and its code), or when
// the write fails or the section holds no pixels.
bool SavePictureAsJpeg(cDIBSection& section, const std::string& fileName, int quality);
bool SavePictureAsJpeg(cDIBSection& section, const std::string& fileName, int quality,
                       const JpegLibraryCalls& library);

// The same encoding for 24-bit pixels anywhere in memory (bottom row first,
// as in a recording's frame), without any message: the caller says what
// failed, so that a recording left alone can log it before a box waits for
// someone to close it. False when the library cannot start or the file was
// not written whole.
bool WriteJpegFrame(const Bgr24Source& bottomUpPixels, const std::string& fileName, int quality,
                    const JpegLibraryCalls& library = kJpegLibrary);

}  // namespace lumavex
