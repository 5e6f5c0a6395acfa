// cDIBSection under Wine: layout, copying a picture in, ownership of the DC
// and DIB, painting out, the clipboard, noise and resampling.
#include <gtest/gtest.h>
#include <ole2.h>
#include <olectl.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/win32/capture.h"
#include "imaging/win32/dib_section.h"
#include "imaging/win32/image_picture.h"
#include "platform/gdi.h"
#include "platform/picture.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

struct Bgr {
  std::uint8_t b, g, r;
  bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};
std::ostream& operator<<(std::ostream& os, const Bgr& c) {
  return os << "(b" << int(c.b) << " g" << int(c.g) << " r" << int(c.r) << ")";
}

// Every pixel different from its neighbours; y counts from the top row.
Bgr PatternAt(int x, int y) {
  return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y * 2),
          static_cast<std::uint8_t>(x * 7 + y * 13)};
}

// A bitmap picture of w x h pixels showing PatternAt, made from a 24-bit DIB
// so the colours are exact whatever the screen depth.
Picture PatternPicture(int w, int h) {
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};  // top-down for filling
  void* bits = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap) return {};
  const int stride = (3 * w + 3) & ~3;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Bgr c = PatternAt(x, y);
      auto* p = static_cast<std::uint8_t*>(bits) + y * stride + 3 * x;
      p[0] = c.b;
      p[1] = c.g;
      p[2] = c.r;
    }
  return CreateBitmapPicture(std::move(bitmap), UniquePalette());
}

// The pixel at (x, y counted from the top) of a section, read from its memory.
Bgr SectionPixel(const cDIBSection& s, int x, int y) {
  const std::uint8_t* p =
      s.DIBSectionBitsPtr() + static_cast<std::size_t>(s.Height() - 1 - y) * s.BytesPerScanLine() + 3 * x;
  return {p[0], p[1], p[2]};
}

void SetSectionPixel(cDIBSection& s, int x, int memoryRow, std::uint8_t v) {
  std::uint8_t* p =
      s.DIBSectionBitsPtr() + static_cast<std::size_t>(memoryRow) * s.BytesPerScanLine() + 3 * x;
  p[0] = p[1] = p[2] = v;
}

// Every pixel byte of a section, pad bytes left out.
std::vector<std::uint8_t> PixelBytes(const cDIBSection& s) {
  ::GdiFlush();
  std::vector<std::uint8_t> out;
  for (int row = 0; row < s.Height(); ++row) {
    const std::uint8_t* p = s.DIBSectionBitsPtr() + static_cast<std::size_t>(row) * s.BytesPerScanLine();
    out.insert(out.end(), p, p + 3 * s.Width());
  }
  return out;
}

struct LiveHandles {
  long dcs = UniqueMemoryDc::live();
  long bitmaps = UniqueBitmap::live();
  long windowDcs = WindowDc::live_count().load();
  DWORD gdi = ProcessGdiObjectCount();  // 0 under Wine, real on Windows
};
void ExpectSameHandles(const LiveHandles& before) {
  const LiveHandles now;
  EXPECT_EQ(now.dcs, before.dcs);
  EXPECT_EQ(now.bitmaps, before.bitmaps);
  EXPECT_EQ(now.windowDcs, before.windowDcs);
  EXPECT_EQ(now.gdi, before.gdi);
}

class DibSection : public ::testing::Test {
 protected:
  void SetUp() override { ::OleInitialize(nullptr); }
  void TearDown() override { ::OleUninitialize(); }
  test::MessageRecorder messages_;
};

TEST_F(DibSection, RowsArePaddedToFourBytesAndOverflowIsRefused) {
  cDIBSection s;
  const int widths[] = {1, 2, 3, 4, 163, 160};
  const int rows[] = {4, 8, 12, 12, 492, 480};
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(s.Create(widths[i], 3));
    EXPECT_EQ(s.BytesPerScanLine(), rows[i]) << widths[i];
    EXPECT_EQ(s.Header().biSizeImage, static_cast<DWORD>(3 * rows[i]));
  }
  // Sizes that make no DIB still fill the header, so the arithmetic shows.
  HBITMAP made = reinterpret_cast<HBITMAP>(1);
  EXPECT_FALSE(s.CreateDIB(nullptr, 715827881, 0, made));
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(s.BytesPerScanLine(), 2147483644);  // 3 x w + 3 still fits
  EXPECT_THROW(s.CreateDIB(nullptr, 715827882, 0, made), std::overflow_error);
  EXPECT_THROW(s.BytesPerScanLine(), std::overflow_error);
  EXPECT_EQ(s.Width(), 715827882);
  // height x row length beyond 32 bits
  EXPECT_THROW(s.CreateDIB(nullptr, 20000, 40000, made), std::overflow_error);

  s.ClearUp();
  const LiveHandles before;
  EXPECT_THROW(s.Create(INT_MAX, 1), std::overflow_error);
  EXPECT_EQ(s.hdc(), nullptr);
  EXPECT_EQ(s.DIBSectionBitsPtr(), nullptr);
  ExpectSameHandles(before);
}

TEST_F(DibSection, CreateFromPictureCopiesEveryPixelBottomRowFirst) {
  Picture picture = PatternPicture(163, 123);
  ASSERT_TRUE(picture);
  cDIBSection s;
  s.CreateFromPicture(picture.get());
  ASSERT_NE(s.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(s.Width(), 163);
  EXPECT_EQ(s.Height(), 123);
  const BITMAPINFOHEADER& h = s.Header();
  EXPECT_EQ(h.biSize, 40u);
  EXPECT_EQ(h.biPlanes, 1);
  EXPECT_EQ(h.biBitCount, 24);
  EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(h.biSizeImage, 60516u);
  EXPECT_EQ(h.biClrUsed, 0u);

  // The platform sees a bottom-up 24-bit section whose memory is ours.
  DIBSECTION ds{};
  ASSERT_EQ(::GetObjectA(s.hDib(), sizeof ds, &ds), static_cast<int>(sizeof ds));
  EXPECT_EQ(ds.dsBm.bmBits, s.DIBSectionBitsPtr());
  EXPECT_GT(ds.dsBmih.biHeight, 0);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(::GetCurrentObject(s.hdc(), OBJ_BITMAP), s.hDib());

  ::GdiFlush();
  // The first row in memory is the picture's bottom row.
  const std::uint8_t* first = s.DIBSectionBitsPtr();
  EXPECT_EQ((Bgr{first[0], first[1], first[2]}), PatternAt(0, 122));
  int wrong = 0;
  for (int y = 0; y < 123; ++y)
    for (int x = 0; x < 163; ++x)
      if (!(SectionPixel(s, x, y) == PatternAt(x, y)) && ++wrong <= 3)
        ADD_FAILURE() << x << "," << y << ": " << SectionPixel(s, x, y) << " expected " << PatternAt(x, y);
  EXPECT_EQ(wrong, 0);
  // The picture still owns its bitmap, which is no longer selected anywhere.
  EXPECT_EQ(::GetObjectType(PictureBitmap(picture.get())), static_cast<DWORD>(OBJ_BITMAP));
  EXPECT_TRUE(messages_.messages().empty());
}

TEST_F(DibSection, PictureWithoutBitmapGivesAnEmptyZeroSizeSection) {
  PICTDESC desc{};
  desc.cbSizeofstruct = sizeof desc;
  desc.picType = PICTYPE_ICON;
  desc.icon.hicon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  Picture icon;
  ASSERT_HRESULT_SUCCEEDED(::OleCreatePictureIndirect(&desc, IID_IPicture, FALSE, icon.put_void()));

  const LiveHandles before;
  cDIBSection s;
  ASSERT_TRUE(s.Create(20, 10));
  s.CreateFromPicture(icon.get());
  EXPECT_EQ(s.Width(), 0);
  EXPECT_EQ(s.Height(), 0);
  EXPECT_EQ(s.DIBSectionBitsPtr(), nullptr);
  EXPECT_EQ(s.hdc(), nullptr);
  s.CreateFromPicture(nullptr);
  EXPECT_EQ(s.Width(), 0);
  EXPECT_EQ(s.hDib(), nullptr);
  ExpectSameHandles(before);
}

TEST_F(DibSection, CreateAgainReleasesTheFirstSectionAndNothingAccumulates) {
  cDIBSection s;
  ASSERT_TRUE(s.Create(163, 123));
  const HBITMAP firstDib = s.hDib();
  const HDC firstDc = s.hdc();
  ASSERT_TRUE(s.Create(163, 123));
  if (s.hDib() != firstDib) EXPECT_EQ(::GetObjectType(firstDib), 0u);
  if (s.hdc() != firstDc) EXPECT_EQ(::GetObjectType(firstDc), 0u);

  // More sections than a process may hold GDI objects (10,000 by default on
  // Windows, about 65,500 under Wine): one leaked DC or DIB per call would
  // make Create fail before the end.
  const LiveHandles before;
  int failures = 0;
  for (int i = 0; i < 66000; ++i) failures += s.Create(1 + i % 3, 2) ? 0 : 1;
  EXPECT_EQ(failures, 0);
  ExpectSameHandles(before);
  EXPECT_EQ(s.Width(), 3);  // the last size asked for
}

TEST_F(DibSection, ClearUpEmptiesButKeepsTheSizeAndMovesCarryOwnership) {
  const LiveHandles before;
  {
    cDIBSection s;
    ASSERT_TRUE(s.Create(50, 40));
    s.ClearUp();
    EXPECT_EQ(s.Width(), 50);
    EXPECT_EQ(s.Height(), 40);
    EXPECT_EQ(s.hdc(), nullptr);
    EXPECT_EQ(s.hDib(), nullptr);
    EXPECT_EQ(s.DIBSectionBitsPtr(), nullptr);
    s.ClearUp();

    ASSERT_TRUE(s.Create(8, 6));
    std::uint8_t* bits = s.DIBSectionBitsPtr();
    cDIBSection moved(std::move(s));
    EXPECT_EQ(moved.DIBSectionBitsPtr(), bits);
    EXPECT_EQ(moved.Width(), 8);
    EXPECT_EQ(s.hdc(), nullptr);
    cDIBSection other;
    ASSERT_TRUE(other.Create(3, 3));
    other = std::move(moved);  // other's own section goes first
    EXPECT_EQ(other.DIBSectionBitsPtr(), bits);
  }
  ExpectSameHandles(before);
}

TEST_F(DibSection, PaintPictureDrawsIntoAnotherDc) {
  cDIBSection source;
  source.CreateFromPicture(PatternPicture(40, 30).get());
  cDIBSection canvas;
  ASSERT_TRUE(canvas.Create(100, 80));
  source.PaintPicture(canvas.hdc(), 10, 20, -1, -1, 0, 0, SRCCOPY);
  ::GdiFlush();
  EXPECT_EQ(SectionPixel(canvas, 10, 20), PatternAt(0, 0));
  EXPECT_EQ(SectionPixel(canvas, 49, 49), PatternAt(39, 29));
  EXPECT_EQ(SectionPixel(canvas, 50, 20), (Bgr{0, 0, 0}));  // right of the copy
  EXPECT_EQ(SectionPixel(canvas, 10, 50), (Bgr{0, 0, 0}));  // below it
  // A part of the source, at the canvas's origin.
  source.PaintPicture(canvas.hdc(), 0, 0, 5, 4, 7, 9, SRCCOPY);
  ::GdiFlush();
  EXPECT_EQ(SectionPixel(canvas, 0, 0), PatternAt(7, 9));
  EXPECT_EQ(SectionPixel(canvas, 4, 3), PatternAt(11, 12));
  EXPECT_EQ(SectionPixel(canvas, 5, 0), (Bgr{0, 0, 0}));
}

TEST_F(DibSection, CopyAsDibOnlySaysItCannotAndLeavesTheClipboardAlone) {
  cDIBSection s;
  s.CreateFromPicture(PatternPicture(16, 8).get());
  const DWORD sequence = ::GetClipboardSequenceNumber();
  const LiveHandles before;
  EXPECT_FALSE(s.CopyToClipboard(true));
  ASSERT_EQ(messages_.messages().size(), 1u);
  EXPECT_EQ(messages_.messages()[0].text,
            "I don't know how to put a DIB on the clipboard! Copy as bitmap instead!!!");
  EXPECT_EQ(messages_.messages()[0].icon, MessageIcon::None);
  EXPECT_EQ(::GetClipboardSequenceNumber(), sequence);
  ExpectSameHandles(before);
}

TEST_F(DibSection, CopyAsBitmapPutsTheSectionOnTheClipboard) {
  if (!::OpenClipboard(nullptr)) GTEST_SKIP() << "the clipboard cannot be opened on this display";
  ::CloseClipboard();
  cDIBSection s;
  s.CreateFromPicture(PatternPicture(24, 12).get());
  const long bitmaps = UniqueBitmap::live();
  ASSERT_TRUE(s.CopyToClipboard(false));
  EXPECT_TRUE(messages_.messages().empty());
  EXPECT_EQ(UniqueBitmap::live(), bitmaps);  // handed over, not owned here any more

  ASSERT_TRUE(::OpenClipboard(nullptr));
  const auto bitmap = static_cast<HBITMAP>(::GetClipboardData(CF_BITMAP));
  Image image;
  const bool read = bitmap && ImageOfBitmap(bitmap, image);
  const std::vector<std::uint8_t>& rows = image.pixels();
  ::CloseClipboard();
  ASSERT_TRUE(read);
  // Bottom-up rows of 72 bytes; compare the top-left and bottom-right pixels.
  const auto at = [&rows](int x, int y) {
    const std::size_t i = static_cast<std::size_t>(11 - y) * 72 + 3 * x;
    return Bgr{std::uint8_t(rows[i]), std::uint8_t(rows[i + 1]), std::uint8_t(rows[i + 2])};
  };
  const bool trueColour = ::GetDeviceCaps(WindowDc(nullptr).get(), BITSPIXEL) >= 24;
  if (trueColour) {
    EXPECT_EQ(at(0, 0), PatternAt(0, 0));
    EXPECT_EQ(at(23, 11), PatternAt(23, 11));
    EXPECT_EQ(at(5, 7), PatternAt(5, 7));
  }
}

TEST_F(DibSection, GreyNoiseHasEqualChannelsAndColourNoiseNoBlue) {
  cDIBSection s;
  ASSERT_TRUE(s.Create(61, 17));  // 183 pixel bytes + 1 pad byte per row
  std::memset(s.DIBSectionBitsPtr(), 0xAB, s.Header().biSizeImage);
  s.RandomiseBits(true);
  int distinct[256] = {};
  for (int y = 0; y < 17; ++y) {
    for (int x = 0; x < 61; ++x) {
      const Bgr c = SectionPixel(s, x, y);
      ASSERT_TRUE(c.b == c.g && c.g == c.r) << x << "," << y << " " << c;
      distinct[c.b] = 1;
    }
    EXPECT_EQ(s.DIBSectionBitsPtr()[y * s.BytesPerScanLine() + 183], 0xAB);  // pad byte
  }
  int values = 0;
  for (int v : distinct) values += v;
  EXPECT_GT(values, 100);  // 1037 draws from 256 levels

  s.RandomiseBits(false);
  int differing = 0;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 61; ++x) {
      const Bgr c = SectionPixel(s, x, y);
      ASSERT_EQ(c.b, 0);
      differing += c.g != c.r;
    }
  EXPECT_GT(differing, 900);
}

TEST_F(DibSection, ResampleToTheSameSizeCopiesUnchanged) {
  cDIBSection s;
  s.CreateFromPicture(PatternPicture(163, 123).get());
  std::unique_ptr<cDIBSection> copy = s.Resample(123, 163);
  ASSERT_TRUE(copy);
  EXPECT_NE(copy->hDib(), s.hDib());
  EXPECT_EQ(copy->Width(), 163);
  EXPECT_EQ(copy->Height(), 123);
  EXPECT_EQ(PixelBytes(*copy), PixelBytes(s));
}

TEST_F(DibSection, ResampleToAnotherSizeInterpolatesInMemoryRowOrder) {
  cDIBSection s;
  ASSERT_TRUE(s.Create(2, 2));
  ::GdiFlush();
  SetSectionPixel(s, 0, 0, 0);    // a
  SetSectionPixel(s, 1, 0, 100);  // b
  SetSectionPixel(s, 0, 1, 200);  // p: the next row in memory
  SetSectionPixel(s, 1, 1, 40);   // q
  std::unique_ptr<cDIBSection> big = s.Resample(4, 4);
  ASSERT_TRUE(big);
  ASSERT_EQ(big->Width(), 4);
  const std::uint8_t* row2 = big->DIBSectionBitsPtr() + 2 * big->BytesPerScanLine();
  EXPECT_EQ(row2[6], 85);  // memory row 2, column 2, blue
  EXPECT_EQ(row2[8], 85);
  const std::uint8_t* row3 = big->DIBSectionBitsPtr() + 3 * big->BytesPerScanLine();
  EXPECT_EQ(row3[0], 150);  // three quarters of the way from a to p
}

TEST_F(DibSection, ResampleOfAOnePixelWideSourceIsRefused) {
  cDIBSection thin;
  ASSERT_TRUE(thin.Create(1, 10));
  const LiveHandles before;
  EXPECT_THROW(thin.Resample(20, 4), std::out_of_range);
  ExpectSameHandles(before);  // the half-made result went with the error
  // At its own size it is a plain copy, which needs no neighbours.
  EXPECT_TRUE(thin.Resample(10, 1));
  // No section of that size can be made: no result.
  EXPECT_EQ(thin.Resample(0, 5), nullptr);
  EXPECT_EQ(thin.Resample(5, -3), nullptr);
}

}  // namespace
}  // namespace lumavex
