#include "imaging/image_jpeg.h"

#include "imaging/jpeg/jpeg_encoder.h"

namespace lumavex {

bool EncodeImageJpeg(const Image& image, int quality, jpeg::JpegOutputBuffer& out) {
  if (image.empty()) return false;
  return EncodeBgr24Jpeg(image.Source(), true, quality, out);
}

bool EncodeBgr24Jpeg(const Bgr24Source& pixels, bool bottomUp, int quality, jpeg::JpegOutputBuffer& out) {
  if (!pixels.bits || pixels.width <= 0 || pixels.height <= 0) return false;
  jpeg::SourceImage source;
  source.pixels = pixels.bits;
  source.width = pixels.width;
  source.height = pixels.height;
  source.rowBytes = static_cast<std::ptrdiff_t>(pixels.stride);
  source.bottomUp = bottomUp;
  jpeg::EncodeSettings settings;
  settings.quality = quality;
  return jpeg::EncodeJpeg(source, settings, out) == jpeg::EncodeResult::Ok;
}

}  // namespace lumavex
