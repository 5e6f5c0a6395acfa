#pragma once
// A bitmap picture saved in the BMP form of captured pictures: uncompressed,
// bottom-up, 24 bits per pixel, whatever the depth of the screen it came from.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumavex {

// The bytes of a bitmap picture as an uncompressed, bottom-up, 24-bit BMP
// file; empty when the picture has no readable bitmap.
std::vector<std::uint8_t> PictureAsBmpFile(IPicture* picture);

// Writes PictureAsBmpFile to `path`, replacing any file of that name. False
// (and no file left) on failure.
bool SavePicture(IPicture* picture, const std::string& path);

}  // namespace lumavex
