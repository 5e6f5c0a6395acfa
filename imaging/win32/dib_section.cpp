#include "imaging/win32/dib_section.h"

#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <utility>

#include "imaging/dib_resample.h"
#include "base/message.h"
#include "platform/picture.h"

namespace lumavex {
namespace {

constexpr const char* kNoDibOnClipboardMessage =
    "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!";

int CheckedInt32(std::int64_t v, const char* what) {
  if (v > std::numeric_limits<std::int32_t>::max() || v < std::numeric_limits<std::int32_t>::min())
    throw std::overflow_error(what);
  return static_cast<int>(v);
}

// The clipboard is held open for one scope.
class OpenedClipboard {
 public:
  OpenedClipboard() : open_(::OpenClipboard(nullptr) != FALSE) {}
  ~OpenedClipboard() {
    if (open_) ::CloseClipboard();
  }
  OpenedClipboard(const OpenedClipboard&) = delete;
  OpenedClipboard& operator=(const OpenedClipboard&) = delete;
  bool ok() const { return open_; }

 private:
  bool open_;
};

}  // namespace

cDIBSection::~cDIBSection() { ClearUp(); }

cDIBSection::cDIBSection(cDIBSection&& other) noexcept { TakeFrom(other); }

cDIBSection& cDIBSection::operator=(cDIBSection&& other) noexcept {
  if (this != &other) {
    ClearUp();
    TakeFrom(other);
  }
  return *this;
}

void cDIBSection::TakeFrom(cDIBSection& other) noexcept {
  dib_ = std::move(other.dib_);
  selected_ = std::move(other.selected_);
  memoryDc_ = std::move(other.memoryDc_);
  bits_ = std::exchange(other.bits_, nullptr);
  header_ = other.header_;
}

bool cDIBSection::CopyToClipboard(bool bAsDIB) {
  WindowDc screen(::GetDesktopWindow());
  if (!screen) return false;
  UniqueMemoryDc temporary(::CreateCompatibleDC(screen.get()));
  if (!temporary) return false;
  if (bAsDIB) {
    ShowMessage(kNoDibOnClipboardMessage, MessageIcon::None);
    return false;
  }
  UniqueBitmap bitmap(::CreateCompatibleBitmap(screen.get(), Width(), Height()));
  if (!bitmap) return false;
  {
    SelectedObject selected(temporary.get(), bitmap.get());
    PaintPicture(temporary.get(), 0, 0, -1, -1, 0, 0, SRCCOPY);
  }
  OpenedClipboard clipboard;
  if (!clipboard.ok()) return false;  // the copy is deleted with its owner
  ::EmptyClipboard();
  if (!::SetClipboardData(CF_BITMAP, bitmap.get())) return false;
  bitmap.release();  // the clipboard's now
  return true;
}

bool cDIBSection::CreateDIB(HDC lhDC, int lWidth, int lHeight, HBITMAP& hDib) {
  hDib = nullptr;
  header_.biSize = sizeof(BITMAPINFOHEADER);
  header_.biWidth = lWidth;
  header_.biHeight = lHeight;
  header_.biPlanes = 1;
  header_.biBitCount = 24;
  header_.biCompression = BI_RGB;
  // As the runtime's 32-bit arithmetic would, refuse a size that overflows.
  header_.biSizeImage =
      static_cast<DWORD>(CheckedInt32(static_cast<std::int64_t>(header_.biHeight) * BytesPerScanLine(),
                                      "DIB image size overflows"));
  if (lWidth <= 0 || lHeight <= 0) {
    bits_ = nullptr;
    return false;
  }
  BITMAPINFO info{};
  info.bmiHeader = header_;
  hDib = ::CreateDIBSection(lhDC, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
  if (!hDib) bits_ = nullptr;
  return hDib != nullptr;
}

void cDIBSection::CreateFromPicture(IPicture* picThis) {
  const HBITMAP bitmap = PictureBitmap(picThis);
  BITMAP record{};
  if (bitmap && ::GetObjectW(bitmap, sizeof record, &record) != sizeof record) record = BITMAP{};
  if (!Create(record.bmWidth, record.bmHeight)) return;

  WindowDc screen(::GetDesktopWindow());
  if (!screen) return;
  UniqueMemoryDc temporary(::CreateCompatibleDC(screen.get()));
  screen.reset();
  if (!temporary) return;
  // Selected out again before the temporary DC goes (declared after it).
  SelectedObject selected(temporary.get(), bitmap);
  LoadPictureBlt(temporary.get(), 0, 0, -1, -1, SRCCOPY);
}

bool cDIBSection::Create(int lWidth, int lHeight) {
  ClearUp();
  UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
  if (!dc) return false;
  if (!CreateDIB(dc.get(), lWidth, lHeight, *dib_.put())) return false;
  selected_ = std::make_unique<SelectedObject>(dc.get(), dib_.get());
  memoryDc_ = std::move(dc);
  return true;
}

int cDIBSection::BytesPerScanLine() const {
  return CheckedInt32(3 * static_cast<std::int64_t>(header_.biWidth) + 3, "DIB row length overflows") & ~3;
}

void cDIBSection::LoadPictureBlt(HDC lhDC, int lSrcLeft, int lSrcTop, int lSrcWidth, int lSrcHeight,
                                 DWORD eRop) {
  const int width = lSrcWidth < 0 ? Width() : lSrcWidth;
  const int height = lSrcHeight < 0 ? Height() : lSrcHeight;
  ::BitBlt(memoryDc_.get(), 0, 0, width, height, lhDC, lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::PaintPicture(HDC lhDC, int lDestLeft, int lDestTop, int lDestWidth, int lDestHeight,
                               int lSrcLeft, int lSrcTop, DWORD eRop) {
  const int width = lDestWidth < 0 ? Width() : lDestWidth;
  const int height = lDestHeight < 0 ? Height() : lDestHeight;
  ::BitBlt(lhDC, lDestLeft, lDestTop, width, height, memoryDc_.get(), lSrcLeft, lSrcTop, eRop);
}

void cDIBSection::RandomiseBits(bool bGray) {
  if (!bits_ || Width() <= 0 || Height() <= 0) return;
  ::GdiFlush();  // pending drawing lands before the bytes are overwritten
  SYSTEMTIME now{};
  ::GetLocalTime(&now);
  std::mt19937 random(now.wHour * 3600u + now.wMinute * 60u + now.wSecond);
  // r in [0, 1) with 24 bits, as the runtime's generator gives it.
  const auto level = [&random] {
    const double r = static_cast<double>(random() >> 8) / 16777216.0;
    return static_cast<std::uint8_t>(RoundHalfEven(r * 255.0));
  };
  std::uint8_t* const rows = DIBSectionBitsPtr();
  const std::size_t stride = static_cast<std::size_t>(BytesPerScanLine());
  const std::size_t xEnd = 3 * (static_cast<std::size_t>(Width()) - 1);
  const auto rowCount = static_cast<std::size_t>(Height());
  if (bGray) {
    for (std::size_t y = 0; y < rowCount; ++y) {
      std::uint8_t* row = rows + y * stride;
      for (std::size_t x = 0; x <= xEnd; x += 3) row[x] = row[x + 1] = row[x + 2] = level();
    }
  } else {
    for (std::size_t x = 0; x <= xEnd; x += 3) {
      for (std::size_t y = 0; y < rowCount; ++y) {
        std::uint8_t* pixel = rows + y * stride + x;
        pixel[0] = 0;
        pixel[1] = level();
        pixel[2] = level();
      }
    }
  }
}

void cDIBSection::ClearUp() {
  selected_.reset();  // the previous bitmap goes back in before the DIB is deleted
  dib_.reset();
  memoryDc_.reset();
  bits_ = nullptr;
}

std::unique_ptr<cDIBSection> cDIBSection::Resample(int lNewHeight, int lNewWidth) {
  auto target = std::make_unique<cDIBSection>();
  if (!target->Create(lNewWidth, lNewHeight)) return nullptr;
  if (lNewWidth == Width() && lNewHeight == Height())
    target->LoadPictureBlt(memoryDc_.get(), 0, 0, -1, -1, SRCCOPY);
  else
    ResampleDIB(*target);
  return target;
}

void cDIBSection::ResampleDIB(cDIBSection& target) {
  ::GdiFlush();  // both pictures' pending drawing lands before the bytes are used
  const Bgr24Source source{DIBSectionBitsPtr(), bits_ ? static_cast<std::size_t>(BytesPerScanLine()) : 0,
                           Width(), Height()};
  const Bgr24Target out{target.DIBSectionBitsPtr(),
                        target.bits_ ? static_cast<std::size_t>(target.BytesPerScanLine()) : 0,
                        target.Width(), target.Height()};
  ResampleBilinear24(source, out);
}

}  // namespace lumavex
