#include "imaging/win32/picture_bmp.h"

#include "imaging/bmp_writer.h"
#include "imaging/image.h"
#include "imaging/win32/image_picture.h"
#include "platform/files.h"

namespace lumavex {

std::vector<std::uint8_t> PictureAsBmpFile(IPicture* picture) {
  Image image;
  if (!ImageOfPicture(picture, image)) return {};
  return BmpFileOf(image);
}

bool SavePicture(IPicture* picture, const std::string& path) {
  const std::vector<std::uint8_t> file = PictureAsBmpFile(picture);
  return !file.empty() && WriteWholeFile(path, {{file.data(), file.size()}});
}

}  // namespace lumavex
