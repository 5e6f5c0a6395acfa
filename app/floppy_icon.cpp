#include "app/floppy_icon.h"

#include <cstring>

namespace lumavex {

UniqueBitmap MakeFloppyBitmap() {
  // Drawn by hand: body, metal shutter with its slot, label with lines.
  static const char* const kRows[16] = {
      "kkkkkkkkkkkkkkk.",  //
      "kbbssssssssssbbk",  //
      "kbbsssssskkssbbk",  //
      "kbbsssssskkssbbk",  //
      "kbbsssssskkssbbk",  //
      "kbbssssssssssbbk",  //
      "kbbbbbbbbbbbbbbk",  //
      "kbbbbbbbbbbbbbbk",  //
      "kbwwwwwwwwwwwwbk",  //
      "kbwwwwwwwwwwwwbk",  //
      "kbwllllllllllwbk",  //
      "kbwwwwwwwwwwwwbk",  //
      "kbwllllllllllwbk",  //
      "kbwwwwwwwwwwwwbk",  //
      "kbwwwwwwwwwwwwbk",  //
      "kkkkkkkkkkkkkkkk",  //
  };
  struct Info {
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
  } info{};
  info.header.biSize = sizeof(BITMAPINFOHEADER);
  info.header.biWidth = 16;
  info.header.biHeight = -16;  // top-down, as the rows above are written
  info.header.biPlanes = 1;
  info.header.biBitCount = 8;
  info.header.biCompression = BI_RGB;
  info.header.biClrUsed = 256;
  auto colour = [](BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; };
  info.colours[0] = colour(212, 208, 200);  // '.': button face
  info.colours[1] = colour(0, 0, 0);        // 'k': outline
  info.colours[2] = colour(40, 70, 160);    // 'b': blue body
  info.colours[3] = colour(192, 192, 192);  // 's': shutter
  info.colours[4] = colour(255, 255, 255);  // 'w': label
  info.colours[5] = colour(128, 128, 128);  // 'l': label lines

  void* bits = nullptr;
  WindowDc screen(nullptr);
  UniqueBitmap bitmap(::CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                         &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  auto* row = static_cast<BYTE*>(bits);
  for (int y = 0; y < 16; ++y, row += 16) {
    for (int x = 0; x < 16; ++x) {
      switch (kRows[y][x]) {
        case 'k':
          row[x] = 1;
          break;
        case 'b':
          row[x] = 2;
          break;
        case 's':
          row[x] = 3;
          break;
        case 'w':
          row[x] = 4;
          break;
        case 'l':
          row[x] = 5;
          break;
        default:
          row[x] = 0;
          break;
      }
    }
  }
  return bitmap;
}

}  // namespace lumavex
