#include "imaging/win32/picture_bmp.h"

#include "imaging/bmp_writer.h"
#include "platform/files.h"
#include "platform/picture.h"

namespace lumavex {

std::vector<std::uint8_t> PictureAsBmpFile(IPicture* picture) {
  const SIZE size = PictureSizePixels(picture);
  std::string rows;
  if (!ReadBitmapPixels24(PictureBitmap(picture), size.cx, size.cy, rows)) return {};
  std::vector<std::uint8_t> file = Bmp24Headers(size.cx, size.cy);
  if (!file.empty()) file.insert(file.end(), rows.begin(), rows.end());
  return file;
}

bool SavePicture(IPicture* picture, const std::string& path) {
  const std::vector<std::uint8_t> file = PictureAsBmpFile(picture);
  return !file.empty() && WriteWholeFile(path, {{file.data(), file.size()}});
}

}  // namespace lumavex
