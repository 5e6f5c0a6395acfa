// Lumavex.exe as Windows expects a program: read as a data file, it carries
// the manifest (common controls 6, per-monitor DPI awareness, the systems it
// supports), a version resource with the project's version, and the floppy
// as its icon, in every size, pixel for pixel the folder button's picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <string>
#include <vector>

#include "app/floppy_icon.h"
#include "app/resources.h"
#include "base/utf8.h"
#include "platform/gdi.h"
#include "support/win_test_support.h"

namespace lumavex {
namespace {

struct ModuleFree {
  void operator()(HMODULE module) const { ::FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFree>;

struct IconDestroy {
  void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroy>;

std::string ExePath() { return test::TestBinFolder() + "\\Lumavex.exe"; }

class AppResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module_.reset(::LoadLibraryExW(Widen(ExePath()).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
    ASSERT_TRUE(module_) << ::GetLastError();
  }
  // `type` is one of the numbered types, RT_MANIFEST, RT_GROUP_ICON.
  std::string Resource(ULONG_PTR type, int id) const {
    HRSRC found = ::FindResourceW(module_.get(), MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(type));
    if (!found) return {};
    HGLOBAL loaded = ::LoadResource(module_.get(), found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(module_.get(), found)) : "";
  }
  UniqueModule module_;
};

TEST_F(AppResources, TheManifestAsksForCommonControls6PerMonitorDpiAndTheSupportedSystems) {
  const std::string manifest = Resource(24, 1);  // RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID
  ASSERT_FALSE(manifest.empty());
  for (const char* part : {
           "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
           "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
           "publicKeyToken=\"6595b64144ccf1df\"",
           "<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true/pm</dpiAware>",
           "<dpiAwareness xmlns=\"http://schemas.microsoft.com/SMI/2016/WindowsSettings\">PerMonitorV2, "
           "PerMonitor</dpiAwareness>",
           "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",  // 10 and 11
           "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",  // 8.1
           "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",  // 8
           "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",  // 7
           "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
       })
    EXPECT_NE(manifest.find(part), std::string::npos) << part;
  EXPECT_EQ(manifest.find('@'), std::string::npos) << "a placeholder left unfilled";
}

TEST_F(AppResources, TheVersionIsTheProjects) {
  const std::wstring path = Widen(ExePath());
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(LUMAVEX_VERSION_MAJOR << 16 | LUMAVEX_VERSION_MINOR));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  const auto text = [&](const char* name) {
    wchar_t* value = nullptr;
    UINT chars = 0;
    const std::wstring key = L"\\StringFileInfo\\040904B0\\" + Widen(name);
    if (!::VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &chars) || !value)
      return std::string("<none>");
    return Narrow(value);
  };
  const std::string version =
      std::to_string(LUMAVEX_VERSION_MAJOR) + "." + std::to_string(LUMAVEX_VERSION_MINOR);
  EXPECT_EQ(text("ProductName"), "Lumavex");
  EXPECT_EQ(text("ProductVersion"), version);
  EXPECT_EQ(text("FileVersion").rfind(version + ".", 0), 0u) << text("FileVersion");
  EXPECT_EQ(text("OriginalFilename"), "Lumavex.exe");
  EXPECT_NE(text("FileDescription").find("Lumavex"), std::string::npos);
}

// The icon drawn over magenta, as 32-bit pixels, top row first.
std::vector<COLORREF> DrawIcon(HICON icon, int size) {
  WindowDc screen(nullptr);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  UniqueBitmap bitmap(::CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  UniqueMemoryDc dc(::CreateCompatibleDC(screen.get()));
  if (!bitmap || !dc || !bits) return {};
  SelectedObject selected(dc.get(), bitmap.get());
  auto* pixels = static_cast<std::uint32_t*>(bits);
  std::fill(pixels, pixels + size * size, 0x00FF00FFu);
  ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  ::GdiFlush();
  return std::vector<COLORREF>(pixels, pixels + size * size);
}

TEST_F(AppResources, TheIconIsTheFloppyInEverySize) {
  ASSERT_FALSE(Resource(14, IDI_LUMAVEX).empty());  // RT_GROUP_ICON
  // The folder button's picture, as the icon should show it.
  UniqueBitmap floppy = MakeFloppyBitmap();
  ASSERT_TRUE(floppy);
  std::vector<std::uint32_t> expected(16 * 16);
  {
    WindowDc screen(nullptr);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = -16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    ASSERT_EQ(::GetDIBits(screen.get(), floppy.get(), 0, 16, expected.data(), &info, DIB_RGB_COLORS), 16);
  }
  const std::uint32_t buttonFace = 0xD4D0C8;  // the picture's background: transparent in the icon
  for (const int size : {16, 32, 48}) {
    UniqueIcon icon(static_cast<HICON>(
        ::LoadImageW(module_.get(), MAKEINTRESOURCEW(IDI_LUMAVEX), IMAGE_ICON, size, size, 0)));
    ASSERT_TRUE(icon) << size << " " << ::GetLastError();
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon.get(), &info));
    UniqueBitmap color(info.hbmColor), mask(info.hbmMask);
    BITMAP shape{};
    ASSERT_TRUE(::GetObjectW(color.get(), sizeof shape, &shape));
    EXPECT_EQ(shape.bmWidth, size);
    const std::vector<COLORREF> drawn = DrawIcon(icon.get(), size);
    ASSERT_EQ(drawn.size(), static_cast<std::size_t>(size * size));
    int wrong = 0;
    for (int y = 0; y < size; ++y) {
      for (int x = 0; x < size; ++x) {
        const std::uint32_t want =
            expected[static_cast<std::size_t>(y * 16 / size * 16 + x * 16 / size)] & 0xFFFFFF;
        const std::uint32_t got = drawn[static_cast<std::size_t>(y * size + x)] & 0xFFFFFF;
        wrong += got != (want == buttonFace ? 0xFF00FFu : want);
      }
    }
    EXPECT_EQ(wrong, 0) << size << " x " << size;
  }
}

}  // namespace
}  // namespace lumavex
