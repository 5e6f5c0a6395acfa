#include "discovery/fingerprints.h"

#include "discovery/base64.h"
#include "imaging/bmp_writer.h"

namespace lumavex {

FingerprintPair FingerprintsForDepth(int depth) {
  switch (depth) {
    case 32:
    case 24:
      return {"Qk06AAAAAAAAADYAAAAoAAAAAQAAAAEAAAABABgAAAAAAAQAAAAAAAAAAAAAAAAAAAAAAAAAj0ovAA==",
              "Qk06AAAAAAAAADYAAAAoAAAAAQAAAAEAAAABABgAAAAAAAQAAAAAAAAAAAAAAAAAAAAAAAAAgU08AA=="};
    case 16:
      return {"Qk06AAAAAAAAADYAAAAoAAAAAQAAAAEAAAABABgAAAAAAAQAAAAAAAAAAAAAAAAAAAAAAAAAjEkpAA==",
              "Qk06AAAAAAAAADYAAAAoAAAAAQAAAAEAAAABABgAAAAAAAQAAAAAAAAAAAAAAAAAAAAAAAAAhE05AA=="};
    default:
      return {};
  }
}

Rgb ToRgb565(Rgb c) {
  auto five = [](std::uint8_t v8) {
    const int v = v8 >> 3;
    return static_cast<std::uint8_t>(v * 8 + v / 4);
  };
  const int g = c.g >> 2;
  return {five(c.r), static_cast<std::uint8_t>(g * 4 + g / 16), five(c.b)};
}

std::vector<std::uint8_t> OnePixelBmp(Rgb c) {
  const std::uint8_t row[4] = {c.b, c.g, c.r, 0};
  return EncodeBmp24(1, 1, row, sizeof row);
}

std::string FingerprintOfFile(const std::vector<std::uint8_t>& file) {
  return EncodeBase64(std::string(file.begin(), file.end()));
}

std::string PixelFingerprint(Rgb c) { return FingerprintOfFile(OnePixelBmp(c)); }

}  // namespace lumavex
