#include "imaging/win32/capture.h"

#include <string>
#include <utility>
#include <vector>

#include "base/message.h"
#include "base/utf8.h"
#include "platform/files.h"

namespace lumavex {
namespace {

void ReportError(const char* source, long number) { ShowMessage(CaptureErrorMessage(source, number)); }

}  // namespace

std::string CaptureErrorMessage(const char* source, long number) {
  return std::string(source) + std::to_string(number) + SystemErrorText(static_cast<DWORD>(number));
}

Picture CreateBitmapPicture(UniqueBitmap bitmap, UniquePalette palette) {
  HRESULT hr = S_OK;
  Picture picture = PictureOwningBitmap(std::move(bitmap), std::move(palette), &hr);
  if (!picture) ReportError("Project1.Module1.CreateBitmapPicture", static_cast<long>(hr));
  return picture;
}

Picture CaptureWindow(HWND source, int left, int top, int width, int height) {
  WindowDc sourceDc(source, WindowDc::Area::Whole);
  UniqueMemoryDc memoryDc(::CreateCompatibleDC(sourceDc.get()));
  // Compatible with the screen, not with the (monochrome) memory DC.
  UniqueBitmap bitmap(::CreateCompatibleBitmap(sourceDc.get(), width, height));
  if (!sourceDc || !memoryDc || !bitmap) {
    const DWORD error = ::GetLastError();
    ReportError("CaptureWindow", error ? static_cast<long>(error) : ERROR_NOT_ENOUGH_MEMORY);
    return {};
  }

  UniquePalette palette;
  {
    SelectedObject selected(memoryDc.get(), bitmap.get());
    const bool hasPalette = (::GetDeviceCaps(sourceDc.get(), RASTERCAPS) & RC_PALETTE) != 0;
    const int paletteSize = ::GetDeviceCaps(sourceDc.get(), SIZEPALETTE);
    if (hasPalette && paletteSize == 256) {
      std::vector<unsigned char> record(sizeof(LOGPALETTE) + 255 * sizeof(PALETTEENTRY));
      auto* logical = reinterpret_cast<LOGPALETTE*>(record.data());
      logical->palVersion = 0x300;
      logical->palNumEntries = 256;
      ::GetSystemPaletteEntries(sourceDc.get(), 0, 256, logical->palPalEntry);
      palette.reset(::CreatePalette(logical));
    }
    SelectedPalette selectedPalette(memoryDc.get(), palette.get());
    if (palette) ::RealizePalette(memoryDc.get());
    ::BitBlt(memoryDc.get(), 0, 0, width, height, sourceDc.get(), left, top, SRCCOPY);
    // Both come out of the memory DC before it goes; the bitmap survives it.
  }
  memoryDc.reset();
  sourceDc.reset();
  return CreateBitmapPicture(std::move(bitmap), std::move(palette));
}

}  // namespace lumavex
