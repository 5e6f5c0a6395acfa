#include "imaging/image_jpeg.h"

#include "imaging/jpeg/jpeg_encoder.h"

namespace lumavex {

bool EncodeImageJpeg(const Image& image, int quality, jpeg::JpegOutputBuffer& out) {
  if (image.empty()) return false;
  jpeg::SourceImage source;
  source.pixels = image.data();
  source.width = image.width();
  source.height = image.height();
  source.rowBytes = static_cast<std::ptrdiff_t>(image.stride());
  source.bottomUp = true;
  jpeg::EncodeSettings settings;
  settings.quality = quality;
  return jpeg::EncodeJpeg(source, settings, out) == jpeg::EncodeResult::Ok;
}

}  // namespace lumavex
