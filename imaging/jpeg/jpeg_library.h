#pragma once
// The JPEG library: a small C-style interface around the baseline JFIF
// encoder. The frame writer zero-fills a JpegCoreProperties record, calls
// jpegInit for the defaults, fills in the picture and file fields, calls
// jpegWrite once and releases the record with jpegFree. Every operation
// returns one int code, JPEG_OK (0) on success.
//
// Pixels are read in place from the caller's memory (no copy of the image is
// made); the file is written whole or not at all (see jpegWrite).

#ifdef __cplusplus
extern "C" {
#endif

// Result codes. Each failure has its own non-zero code.
enum {
  JPEG_OK = 0,
  JPEG_ERR_NULL_RECORD = 1,    // the record address is null
  JPEG_ERR_NO_PIXELS = 2,      // DIBBytes is null
  JPEG_ERR_BAD_SIZE = 3,       // DIBWidth <= 0, DIBHeight == 0, or larger than JPEG_MAX_DIMENSION
  JPEG_ERR_SIZE_MISMATCH = 4,  // JPGWidth/JPGHeight differ from DIBWidth/|DIBHeight| (no scaling)
  JPEG_ERR_BAD_PADDING = 5,    // DIBPadBytes outside 0..3
  JPEG_ERR_BAD_FORMAT = 6,     // unsupported channel count, colour or subsampling combination
  JPEG_ERR_BAD_QUALITY = 7,    // jquality outside 1..100 (refused, not clamped)
  JPEG_ERR_BAD_IOTYPE = 8,     // jpegWrite was given an I/O type other than JPEG_JFILE_WRITEWHOLEIMAGE
  JPEG_ERR_NO_FILE_NAME = 9,   // JPGFile is null or empty
  JPEG_ERR_FILE_OPEN = 10,     // the temporary file next to the target could not be created
  JPEG_ERR_FILE_WRITE = 11,    // writing, closing or renaming into place failed; nothing is left behind
  JPEG_ERR_OUT_OF_MEMORY = 12  // working buffers could not be allocated
};

// I/O types for jpegWrite.
enum {
  JPEG_JFILE_WRITEWHOLEIMAGE = 8  // encode the whole DIB and write it as a JFIF file to JPGFile
};

// Colour layouts (DIBColor for the input, JPGColor for the output).
enum {
  JPEG_COLOR_GRAYSCALE = 1,  // JPGColor only, with JPGChannels 1
  JPEG_COLOR_RGB = 2,        // DIBColor only: bytes red, green, blue
  JPEG_COLOR_BGR = 3,        // DIBColor only: bytes blue, green, red (24-bit DIB layout; default)
  JPEG_COLOR_YCBCR = 4       // JPGColor only, with JPGChannels 3 (default)
};

// Chroma subsampling for JPGColor YCbCr (ignored for grayscale output).
enum {
  JPEG_SUBSAMPLING_444 = 1,  // full-resolution chroma
  JPEG_SUBSAMPLING_422 = 2,  // chroma halved horizontally
  JPEG_SUBSAMPLING_420 = 3   // chroma halved both ways (default)
};

// Largest width or height accepted (the JPEG frame header holds 16 bits).
enum { JPEG_MAX_DIMENSION = 65500 };

// Default quality set by jpegInit.
enum { JPEG_DEFAULT_QUALITY = 75 };

typedef struct JpegCoreProperties {
  // Input picture, read in place.
  const unsigned char* DIBBytes;  // first pixel byte in memory
  int DIBWidth;                   // pixels per row, > 0
  int DIBHeight;                  // rows; negative: bottom-up (first row in memory is the bottom row)
  int DIBPadBytes;                // 0..3 bytes after each row's DIBChannels * DIBWidth bytes
  int DIBChannels;                // bytes per pixel: 3 (default)
  int DIBColor;                   // JPEG_COLOR_BGR (default) or JPEG_COLOR_RGB

  // Output file.
  const char* JPGFile;  // zero-terminated UTF-8 path (any script; not the ANSI code page)
  int JPGWidth;         // must equal DIBWidth
  int JPGHeight;        // must equal |DIBHeight|
  int JPGChannels;      // 3 (default) or 1
  int JPGColor;         // JPEG_COLOR_YCBCR (default) or JPEG_COLOR_GRAYSCALE
  int JPGSubsampling;   // JPEG_SUBSAMPLING_420 (default), _422 or _444
  int jquality;         // 1..100, default 75

  // Reserved for the library; jpegInit sets it to null and jpegFree releases
  // whatever the library attached here.
  void* Internal;
} JpegCoreProperties;

// Fills the library's defaults into a record the caller has zero-filled.
int jpegInit(JpegCoreProperties* props);

// ioType JPEG_JFILE_WRITEWHOLEIMAGE: encodes the picture described by the DIB
// fields as a baseline JFIF file at JPGFile. The data goes to a temporary
// file beside the target ("<JPGFile>.part"), every write and the close are
// checked, and only then is the temporary renamed over the target. On any
// failure the temporary is removed and a non-zero code returned: the target
// is then either untouched (failure before the rename step) or absent, never
// truncated.
int jpegWrite(JpegCoreProperties* props, int ioType);

// Releases what the library attached to the record.
int jpegFree(JpegCoreProperties* props);

// A short English description of a result code, for logs and messages.
const char* jpegResultText(int code);

#ifdef __cplusplus
}
#endif
